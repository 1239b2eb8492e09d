#include "cli/code_page.h"

#include <iconv.h>

namespace {

std::optional<std::string> Convert(const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == size_t(-1) || srcLeft != 0) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

std::optional<std::string> SystemCp932ToUtf8(const std::string& in) { return Convert(in, "CP932", "UTF-8"); }
std::optional<std::string> SystemUtf8ToCp932(const std::string& in) { return Convert(in, "UTF-8", "CP932"); }
