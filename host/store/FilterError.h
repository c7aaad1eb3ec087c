#pragma once
// A filter that cannot be used: bad syntax, an unknown field, a value the
// field cannot be compared with. Outlook's Restrict and Find fail on such a
// filter, and the add-in relies on that failure to fall back to its subject
// search, so the store fails too rather than guessing.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace host {

class FilterError : public std::runtime_error {
 public:
  // position: 1-based, in characters, where the trouble starts.
  FilterError(std::size_t position, const std::string& message)
      : std::runtime_error("filter, character " + std::to_string(position) + ": " + message),
        position_(position) {}

  std::size_t Position() const noexcept { return position_; }

 private:
  std::size_t position_;
};

}  // namespace host
