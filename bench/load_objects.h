#pragma once

// The objects of the mixed load (bench/proxy_load_client.cpp) as its origin serves them, for the
// load and for the checks after a kill (bench/kill_check.cpp): every object has bytes of its
// own, so that a body served for another object of the same size is seen.
#include <cstddef>
#include <string>

namespace load {

constexpr std::size_t kSmall = 4096;     // /hit/<n> and /page/<n>: small objects with a date
constexpr std::size_t kMiss = 2048;      // /miss/<n>: asked for once
constexpr std::size_t kBig = 200 * 1024; // /big/<n>: aborted by the browser
constexpr std::size_t kPostBody = 1000;  // /post/<n>: the data of each POST, whose count it answers

// The body of the object at path: the path and a line feed, over and over, cut at size.
inline std::string ObjectBody(const std::string &path, std::size_t size) {
  const std::string line = path + '\n';
  std::string body;
  body.reserve(size + line.size());
  while (body.size() < size)
    body += line;
  body.resize(size);
  return body;
}

// The POST of the load's data to target (a path, or a URL when asked through a proxy).
inline std::string PostRequest(const std::string &target) {
  return "POST " + target + " HTTP/1.0\r\nContent-Length: " + std::to_string(kPostBody) + "\r\n\r\n" +
         std::string(kPostBody, 'p');
}

// The size of the object at path, or 0 for a path the origin has no object for.
inline std::size_t ObjectSize(const std::string &path) {
  if (path.starts_with("/hit/") || path.starts_with("/page/"))
    return kSmall;
  if (path.starts_with("/miss/"))
    return kMiss;
  if (path.starts_with("/big/"))
    return kBig;
  return 0;
}

} // namespace load
