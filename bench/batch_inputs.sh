# Sourced by the batch benchmarks: the 120 BMP pictures of 320x240 they all
# convert, gradients that differ from picture to picture.
# make_batch_pictures CONVERT FOLDER
make_batch_pictures() {
  local convert=$1 folder=$2
  for i in $(seq -w 0 119); do
    "$convert" -size 320x240 "gradient:#$(printf '%02x' $((10#$i * 2)))2040-#f0$(printf '%02x' $((255 - 10#$i * 2)))80" \
      -type TrueColor "BMP3:$folder/p$i.bmp"
  done
}
