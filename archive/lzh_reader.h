#pragma once

// LZH archives: a run of member headers, each followed by its packed data, ended by a zero
// byte or the end of the file. Little-endian.
//
// Levels 0 and 1                           Level 2
//   0  u8   header size H (bytes after 2)    0  u16  whole header size T
//   1  u8   sum of the bytes 2 .. H+1        2  5    method
//   2  5    method "-lh5-"                   7  u32  packed size
//   7  u32  packed size (level 1: with the  11  u32  original size
//           extension headers)              15  u32  Unix time
//  11  u32  original size                   19  u8   0x20
//  15  u16  DOS time, u16 DOS date          20  u8   level 2
//  19  u8   attributes                      21  u16  CRC-16 of the original
//  20  u8   level                           23  u8   system id
//  21  u8   name length N, 22 name          24  u16  size of the first extension header
//  22+N u16 CRC-16 of the original          26  extension headers, up to T; data at T
//  level 1: u8 system id, u16 size of the
//           first extension header; the extension headers follow at H+2, then the data
// Extension header: u8 type, data, u16 size of the next (0: last); its size counts all
// three. Types: 0x00 CRC-16 of the whole header with this field zeroed, 0x01 name,
// 0x02 folder (0xFF between parts), 0x40 u16 attributes, 0x42 64-bit sizes (refused).
// Methods read: -lh0- stored, -lhd- a folder, -lh5-, -lh6-, -lh7- (archive/lzh_decoder.h).

#include "archive/archive_member.h"

class LzhReader : public ArchiveReader {
 public:
  bool Open(ByteStream& stream) override;
  ArchiveError Extract(size_t index, uint8_t* out, uint32_t capacity) override;

 private:
  enum class Header { Member, End, Bad };
  Header ReadHeader(uint32_t offset, ArchiveMember& member, uint32_t& next);

  ArchiveSource source_;
};
