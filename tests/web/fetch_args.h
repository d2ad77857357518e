// Naming FetchPage's optional parameters in tests:
//   Fetch(setup, "h/", {.noRedirect = 1, .rawHeaders = &raw})
// passes everything not named as omitted.
#ifndef ZARVO_TESTS_WEB_FETCH_ARGS_H_
#define ZARVO_TESTS_WEB_FETCH_ARGS_H_

#include <cstdint>
#include <optional>

#include "web/fetch_page.h"

namespace zarvo {

struct FetchArgs {
  std::optional<int32_t> method = std::nullopt;
  std::optional<Text> postText = std::nullopt;
  Text* cookies = nullptr;
  Text* returnedCookies = nullptr;
  Text* extraHeaders = nullptr;
  Text* location = nullptr;
  std::optional<int32_t> noRedirect = std::nullopt;
  ByteBuffer* postBytes = nullptr;
  std::optional<Text> proxy = std::nullopt;
  Text* rawHeaders = nullptr;
};

inline ByteBuffer Fetch(const FetchSetup& setup, const Text& address, const FetchArgs& a = {}) {
  return FetchPage(setup, address, a.method, a.postText, a.cookies, a.returnedCookies, a.extraHeaders, a.location,
                   a.noRedirect, a.postBytes, a.proxy, a.rawHeaders);
}

}  // namespace zarvo

#endif  // ZARVO_TESTS_WEB_FETCH_ARGS_H_
