#pragma once

// ZIP archives, read through the central directory at the end. Little-endian.
//
// End of central directory (the last one in the final 64 KB + 22 bytes)
//   0  u32 0x06054B50   4  u16 this disk   6 u16 directory's disk   8 u16 entries here
//  10  u16 entries      12  u32 directory size  16 u32 directory offset  20 u16 comment size
// Central directory entry
//   0  u32 0x02014B50   4  u16 made by     6 u16 needed   8 u16 flags  10 u16 method
//  12  u16 DOS time    14  u16 DOS date   16 u32 CRC-32  20 u32 packed  24 u32 original
//  28  u16 name size   30  u16 extra size 32 u16 comment size  34 u16 disk
//  36  u16 internal attributes  38 u32 external attributes  42 u32 local header offset
//  46  name, extra, comment
// Local header
//   0  u32 0x04034B50   6 u16 flags   8 u16 method  26 u16 name size  28 u16 extra size
//  30  name, extra, then the packed data
// Flags: bit 0 encrypted, bit 6 strong encryption. Methods read: 0 stored, 8 deflate.
// Split archives and 64-bit (ZIP64) sizes are refused.

#include "archive/archive_member.h"

class ZipReader : public ArchiveReader {
 public:
  bool Open(ByteStream& stream) override;
  ArchiveError Extract(size_t index, uint8_t* out, uint32_t capacity) override;

 private:
  ArchiveSource source_;
  uint32_t directoryOffset_ = 0;  // every member's data lies before it
};
