#pragma once
// Checks a session request passes before the session sees it.
#include <string_view>

namespace plat::http {
struct HttpRequest;
}

namespace plat::session {

// The deepest nesting of arrays and objects a request body may have. The
// browser's bodies go four levels deep; anything far deeper is an attack
// on the parser and on every routine that walks the parsed value.
constexpr int kMaxBodyNesting = 32;

// True when no array or object in the JSON text lies deeper than maxDepth.
// It only counts brackets outside strings; the text need not be valid.
bool JsonNestingWithin(std::string_view text, int maxDepth);

// True when a request may act on a session: it carries no Origin (not from
// a page of a browser), or one whose host and port are the request's own
// Host. The "null" origin of sandboxed frames and local files is refused.
bool SameOriginRequest(const http::HttpRequest& req);

}  // namespace plat::session
