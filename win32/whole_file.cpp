#include "win32/whole_file.h"

#include <windows.h>

#include <algorithm>
#include <climits>

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> bytes;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= INT32_MAX) {
    bytes.resize(size_t(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD got = 0;
      const DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24));
      if (!ReadFile(file, bytes.data() + done, want, &got, nullptr) || got == 0) break;
      done += got;
    }
    bytes.resize(done);
  }
  CloseHandle(file);
  return bytes;
}
