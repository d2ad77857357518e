// Feeds arbitrary raw headers and bodies to FetchPage through a client that
// answers from the input: the header scan (cookies, Location, "301"), the
// charset probe and the conversion must take any bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "text/text.h"
#include "web/fetch_page.h"
#include "web/http_client.h"

namespace {

using namespace zarvo;

class ScriptedClient final : public HttpClient {
 public:
  ScriptedClient(std::string_view headers, std::string_view body) : headers_(headers), body_(body) {}

  int requests = 0;

  HttpHandle Open(const Text&, HttpAccess, const std::optional<Text>&, const std::optional<Text>&) override {
    return Next();
  }
  HttpHandle Connect(HttpHandle, const Text&, int32_t) override { return Next(); }
  HttpHandle OpenRequest(HttpHandle, const Text&, const Text&, const Text&, uint32_t) override {
    ++requests;
    position_ = 0;
    return Next();
  }
  bool SendRequest(HttpHandle, const Text&, std::string_view) override { return true; }
  bool ReadFile(HttpHandle, char* buffer, uint32_t size, uint32_t* bytesRead) override {
    size_t n = std::min<size_t>(size, body_.size() - position_);
    memcpy(buffer, body_.data() + position_, n);
    position_ += n;
    *bytesRead = static_cast<uint32_t>(n);
    return true;
  }
  bool QueryRawHeaders(HttpHandle, char* buffer, uint32_t* length) override {
    if (headers_.size() + 1 > *length) {
      *length = static_cast<uint32_t>(headers_.size() + 1);
      return false;
    }
    memcpy(buffer, headers_.data(), headers_.size());
    buffer[headers_.size()] = '\0';
    *length = static_cast<uint32_t>(headers_.size());
    return true;
  }
  bool CloseHandle(HttpHandle) override { return true; }

 private:
  HttpHandle Next() { return HttpHandle{++handles_}; }

  std::string headers_, body_;
  size_t position_ = 0;
  uint64_t handles_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using fuzz::Check;
  // Input: raw headers, a 0xFF 0x00 separator, the body.
  std::string_view in(reinterpret_cast<const char*>(data), size);
  size_t cut = in.find(std::string_view("\xFF\x00", 2));
  std::string_view headers = in.substr(0, cut);
  std::string_view body = cut == std::string_view::npos ? std::string_view() : in.substr(cut + 2);

  ScriptedClient client(headers, body);
  FetchSetup setup{client};
  setup.bodyLimit = 4096;
  setup.redirectLimit = 3;
  Text cookies = "sid=1; lang=zh", returned, extra, location, raw;
  ByteBuffer post;
  const ByteBuffer result = FetchPage(setup, "index.example/search/abc/", 0, std::nullopt, &cookies, &returned,
                                      &extra, &location, 1, &post, std::nullopt, &raw);

  Check(client.requests <= 1 + setup.redirectLimit, "the 301 chain is bounded");
  Check(result.size() <= 2 * setup.bodyLimit, "the body is bounded");
  Check(raw.size() <= 5000, "raw headers fit their buffer");
  Check(extra.view().find("Referer: ") != std::string_view::npos, "default header lines appended");
  return 0;
}
