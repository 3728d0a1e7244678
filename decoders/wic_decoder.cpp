// The platform's picture reader on Windows: the Windows Imaging Component.
// Its frame becomes the core image here, at the edge, flattened onto the
// colour asked for with the same integer rule as every other decoder, so
// that a picture gives the same pixels whichever system reads it.
#include "decoders/platform_decoder.h"

#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace pelkora::decoders {

namespace {

// Holds one COM interface and lets go of it once.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (pointer_ != nullptr)
            pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    Interface** put() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// COM on this thread for the length of one decode. A thread that already
// runs COM in another model (the dialog's) is used as it stands.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

const GUID& containerOf(StillFormat format)
{
    switch (format) {
    case StillFormat::Bmp:
        return GUID_ContainerFormatBmp;
    case StillFormat::Png:
        return GUID_ContainerFormatPng;
    case StillFormat::Jpeg:
        return GUID_ContainerFormatJpeg;
    case StillFormat::Ico:
        return GUID_ContainerFormatIco;
    case StillFormat::Tiff:
        return GUID_ContainerFormatTiff;
    case StillFormat::Webp:
        // Only where a WebP codec is installed; elsewhere the system says it has none.
        return GUID_ContainerFormatWebp;
    }
    return GUID_ContainerFormatPng;
}

std::string wordsOf(HRESULT result)
{
    struct Known {
        HRESULT code;
        const char* words;
    };
    static constexpr Known kKnown[] = {
            {WINCODEC_ERR_BADHEADER, "the picture's header is damaged"},
            {WINCODEC_ERR_BADIMAGE, "the picture's data is damaged"},
            {WINCODEC_ERR_BADSTREAMDATA, "the picture's data is damaged"},
            {WINCODEC_ERR_STREAMREAD, "the picture ends too early"},
            {WINCODEC_ERR_STREAMNOTAVAILABLE, "the picture ends too early"},
            {WINCODEC_ERR_FRAMEMISSING, "the file holds no picture"},
            {WINCODEC_ERR_UNKNOWNIMAGEFORMAT, "the data is in no format this system decodes"},
            {WINCODEC_ERR_COMPONENTNOTFOUND, "no decoder for this format on this system"},
            {WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT, "the picture's pixel format is not supported"},
            {WINCODEC_ERR_UNSUPPORTEDOPERATION, "the picture's form is not supported"},
            {E_OUTOFMEMORY, "out of memory"},
    };
    for (const Known& known : kKnown) {
        if (known.code == result)
            return known.words;
    }
    char text[64];
    std::snprintf(text, sizeof text, "the system's picture reader failed (0x%08lX)",
                  static_cast<unsigned long>(result));
    return text;
}

// The pixel forms with 16 bits a sample, read as the decoder gives them
// and rounded here, as the Linux build rounds them: where each channel
// stands among a pixel's samples (-1: none, opaque).
struct WideLayout {
    const GUID* format;
    int samples;
    int red, green, blue, alpha;
};

constexpr WideLayout kWideLayouts[] = {
        {&GUID_WICPixelFormat16bppGray, 1, 0, 0, 0, -1},  {&GUID_WICPixelFormat48bppRGB, 3, 0, 1, 2, -1},
        {&GUID_WICPixelFormat48bppBGR, 3, 2, 1, 0, -1},   {&GUID_WICPixelFormat64bppRGB, 4, 0, 1, 2, -1},
        {&GUID_WICPixelFormat64bppRGBA, 4, 0, 1, 2, 3},   {&GUID_WICPixelFormat64bppBGRA, 4, 2, 1, 0, 3},
};

const WideLayout* wideLayoutOf(const WICPixelFormatGUID& format)
{
    for (const WideLayout& layout : kWideLayouts) {
        if (IsEqualGUID(format, *layout.format))
            return &layout;
    }
    return nullptr;
}

// A 16-bit sample to 8 bits, rounded to the nearest: v / 257.
std::uint32_t eightBitsOf(std::uint16_t sample) { return (std::uint32_t{sample} * 255 + 32895) >> 16; }

Pixel flattenedPixel(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a, Pixel underneath)
{
    r = blendChannel(r, underneath >> 16 & 0xFF, a);
    g = blendChannel(g, underneath >> 8 & 0xFF, a);
    b = blendChannel(b, underneath & 0xFF, a);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

// The frame in the pixel form asked for, through the system's converter.
HRESULT copyConverted(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const GUID& format,
                      UINT rowBytes, std::vector<std::uint8_t>& pixels)
{
    ComPtr<IWICFormatConverter> converter;
    HRESULT result = factory->CreateFormatConverter(converter.put());
    if (SUCCEEDED(result))
        result = converter->Initialize(frame, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(result))
        result = converter->CopyPixels(nullptr, rowBytes, static_cast<UINT>(pixels.size()), pixels.data());
    return result;
}

// Eight bits a sample: BGRA bytes, which read as the core's 0xAARRGGBB.
HRESULT readNarrow(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, Pixel underneath, Image& image)
{
    const auto width = static_cast<std::size_t>(image.width());
    std::vector<std::uint8_t> pixels(width * 4 * static_cast<std::size_t>(image.height()));
    if (pixels.size() > std::numeric_limits<UINT>::max())
        return E_OUTOFMEMORY;
    const HRESULT result =
            copyConverted(factory, frame, GUID_WICPixelFormat32bppBGRA, static_cast<UINT>(width * 4), pixels);
    if (FAILED(result))
        return result;
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* from = pixels.data() + static_cast<std::size_t>(y) * width * 4;
        Pixel* to = image.row(y);
        for (std::size_t x = 0; x < width; ++x, from += 4)
            to[x] = flattenedPixel(from[2], from[1], from[0], from[3], underneath);
    }
    return S_OK;
}

// Sixteen bits a sample, as the decoder stores them: each rounded to 8
// bits before the blend.
HRESULT readWide(IWICBitmapFrameDecode* frame, const WideLayout& layout, Pixel underneath, Image& image)
{
    const auto width = static_cast<std::size_t>(image.width());
    const std::size_t rowBytes = width * 2 * static_cast<std::size_t>(layout.samples);
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(image.height()));
    if (pixels.size() > std::numeric_limits<UINT>::max())
        return E_OUTOFMEMORY;
    const HRESULT result =
            frame->CopyPixels(nullptr, static_cast<UINT>(rowBytes), static_cast<UINT>(pixels.size()), pixels.data());
    if (FAILED(result))
        return result;
    auto sampleAt = [](const std::uint8_t* pixel, int index) {
        std::uint16_t sample = 0;
        std::memcpy(&sample, pixel + 2 * index, sizeof sample);
        return eightBitsOf(sample);
    };
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* from = pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        Pixel* to = image.row(y);
        for (std::size_t x = 0; x < width; ++x, from += 2 * layout.samples) {
            const std::uint32_t alpha = layout.alpha < 0 ? 255 : sampleAt(from, layout.alpha);
            to[x] = flattenedPixel(sampleAt(from, layout.red), sampleAt(from, layout.green),
                                   sampleAt(from, layout.blue), alpha, underneath);
        }
    }
    return S_OK;
}

// The first frame of the data, opened by the decoder of its format alone:
// the signature already chose it, as on every other system.
HRESULT openFrame(IWICImagingFactory* factory, const std::uint8_t* data, std::size_t size, StillFormat format,
                  IWICStream* stream, IWICBitmapDecoder** decoder, IWICBitmapFrameDecode** frame)
{
    // The stream only reads; the buffer outlives the decode.
    HRESULT result = stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size));
    if (SUCCEEDED(result))
        result = factory->CreateDecoder(containerOf(format), nullptr, decoder);
    if (SUCCEEDED(result))
        result = (*decoder)->Initialize(stream, WICDecodeMetadataCacheOnDemand);
    if (SUCCEEDED(result))
        result = (*decoder)->GetFrame(0, frame);
    return result;
}

// Some readers (wine's among them) decode every pixel as they open the
// data, so the size a PNG announces is checked from its header first.
Status announcedSize(const std::uint8_t* data, std::size_t size, StillFormat format, std::uint64_t surfaceBytes)
{
    constexpr std::size_t kHeaderEnd = 24;  // signature, chunk length and type, width, height
    if (format != StillFormat::Png || size < kHeaderEnd || std::memcmp(data + 12, "IHDR", 4) != 0)
        return Status::Ok;
    auto u32At = [data](std::size_t at) {
        return std::uint32_t{data[at]} << 24 | std::uint32_t{data[at + 1]} << 16 | std::uint32_t{data[at + 2]} << 8
               | data[at + 3];
    };
    return checkSurfaceSize(u32At(16), u32At(20), surfaceBytes);
}

DecodedStill failed(Status status, HRESULT result)
{
    DecodedStill decoded;
    decoded.status = status;
    if (status == Status::NotAPicture)
        decoded.reason = wordsOf(result);
    return decoded;
}

DecodedStill decodeWithFactory(IWICImagingFactory* factory, const std::uint8_t* data, std::size_t size,
                               StillFormat format, const StillRequest& request)
{
    const Status announced = announcedSize(data, size, format, request.surfaceBytes);
    if (announced != Status::Ok)
        return failed(announced, S_OK);
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    HRESULT result = factory->CreateStream(stream.put());
    if (SUCCEEDED(result))
        result = openFrame(factory, data, size, format, stream.get(), decoder.put(), frame.put());
    UINT width = 0;
    UINT height = 0;
    if (SUCCEEDED(result))
        result = frame->GetSize(&width, &height);
    if (FAILED(result))
        return failed(Status::NotAPicture, result);
    // Checked before a pixel is decoded: the header's size can be anything.
    const Status sized = checkSurfaceSize(width, height, request.surfaceBytes);
    if (sized != Status::Ok)
        return failed(sized, S_OK);
    if (width > static_cast<UINT>(std::numeric_limits<int>::max() / 8))
        return failed(Status::SurfaceTooLarge, S_OK);
    WICPixelFormatGUID pixelFormat{};
    result = frame->GetPixelFormat(&pixelFormat);
    if (FAILED(result))
        return failed(Status::NotAPicture, result);

    DecodedStill decoded;
    decoded.image = Image(static_cast<int>(width), static_cast<int>(height));
    if (decoded.image.isNull())
        return failed(Status::SurfaceTooLarge, S_OK);
    const WideLayout* wide = wideLayoutOf(pixelFormat);
    result = wide != nullptr ? readWide(frame.get(), *wide, request.underneath, decoded.image)
                             : readNarrow(factory, frame.get(), request.underneath, decoded.image);
    if (FAILED(result))
        return failed(Status::NotAPicture, result);
    decoded.status = Status::Ok;
    return decoded;
}

}  // namespace

DecodedStill DecodeOnPlatform(const std::uint8_t* data, std::size_t size, StillFormat format,
                              const StillRequest& request)
{
    if (data == nullptr || size > std::numeric_limits<DWORD>::max())
        return {};
    // A bitmap is our own reader's alone on every system: what it leaves
    // would come out of each system's reader with other pixels.
    if (format == StillFormat::Bmp) {
        DecodedStill declined;
        declined.reason = "a bitmap form this program does not read";
        return declined;
    }
    const ComScope com;
    if (!com.usable())
        return failed(Status::NotAPicture, E_FAIL);
    ComPtr<IWICImagingFactory> factory;
    const HRESULT created = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(factory.put()));
    if (FAILED(created))
        return failed(Status::NotAPicture, created);
    return decodeWithFactory(factory.get(), data, size, format, request);
}

}  // namespace pelkora::decoders
