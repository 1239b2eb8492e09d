#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "io/block_stream.h"
#include "io/file_stream.h"
#include "io/memory_stream.h"

namespace {

TEST(MemoryStream, WritesStopAtTheCapacity) {
  uint8_t block[10] = {};
  MemoryStream s(block, 10);
  const uint8_t data[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_EQ(s.Write(data, 12), 1);
  EXPECT_EQ(s.Length(), 10);
  EXPECT_EQ(s.Tell(), 10);
  EXPECT_EQ(s.Putc(1), -1);
  EXPECT_EQ(block[9], 10);
}

TEST(MemoryStream, ReadsStopAtTheLength) {
  uint8_t block[8] = {0xFF, 2, 3, 4, 5, 6, 7, 8};
  MemoryStream s(block, 8, 6);
  EXPECT_EQ(s.Getc(), 255);
  ASSERT_EQ(s.Seek(0, kSeekEnd), 1);
  uint8_t out[4] = {9, 9, 9, 9};
  EXPECT_EQ(s.Read(out, 4), 1);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(s.Getc(), -1);
  // Seeking past the length is allowed; a negative target fails and keeps the position.
  EXPECT_EQ(s.Seek(20, kSeekSet), 1);
  EXPECT_EQ(s.Getc(), -1);
  EXPECT_EQ(s.Seek(-30, kSeekCur), 0);
  EXPECT_EQ(s.Tell(), 20);
  s.Seek(4, kSeekSet);
  EXPECT_EQ(s.Read(out, 4), 1);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(out[1], 6);
  EXPECT_EQ(out[2], 9);
  s.Close();
  EXPECT_FALSE(s.IsOpen());
  EXPECT_EQ(s.Getc(), -1);
}

TEST(BlockStream, GrowsByBlocksAndReusesThemAfterClose) {
  BlockStream s;
  std::vector<uint8_t> data(5000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  ASSERT_EQ(s.Write(data.data(), 5000), 1);
  EXPECT_EQ(s.BlockCount(), 2);
  EXPECT_EQ(s.Length(), 5000);
  ASSERT_EQ(s.Seek(4095, kSeekSet), 1);
  EXPECT_EQ(s.Getc(), data[4095]);
  EXPECT_EQ(s.Getc(), data[4096]);
  s.Close();
  EXPECT_EQ(s.Length(), 0);
  EXPECT_EQ(s.Getc(), -1);
  ASSERT_EQ(s.Write(data.data(), 5000), 1);
  EXPECT_EQ(s.BlockCount(), 2);
  std::vector<uint8_t> copy(5000);
  s.CopyTo(copy.data());
  EXPECT_EQ(copy, data);
  EXPECT_EQ(s.Seek(-1, kSeekSet), 0);
  EXPECT_EQ(s.Tell(), 5000);
}

TEST(FileStream, ReadsWholeItemsOnly) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  FileStream s(f);
  ASSERT_EQ(s.Write("abcdef", 6), 1);
  ASSERT_EQ(s.Seek(2, kSeekSet), 1);
  char out[8] = {};
  EXPECT_EQ(s.Read(out, 8), 0);  // only 4 bytes were left
  ASSERT_EQ(s.Seek(-2, kSeekEnd), 1);
  EXPECT_EQ(s.Getc(), 'e');
  EXPECT_EQ(RemainingBytes(s), 1);
  EXPECT_EQ(s.Tell(), 5);
}

}  // namespace
