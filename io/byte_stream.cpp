#include "io/byte_stream.h"

int32_t RemainingBytes(ByteStream& stream) {
  const int32_t here = stream.Tell();
  if (here < 0 || !stream.Seek(0, kSeekEnd)) return 0;
  const int32_t end = stream.Tell();
  stream.Seek(here, kSeekSet);
  return end > here ? end - here : 0;
}
