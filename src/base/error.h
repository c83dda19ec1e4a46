// The one error type of the program: an exception that carries the message
// text the user will see (GBK, like all text inside the program).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace talven {

class Error : public std::runtime_error {
 public:
  explicit Error(std::string message) : std::runtime_error(message), message_(std::move(message)) {}
  const std::string& message() const noexcept { return message_; }

 private:
  std::string message_;
};

// A conversion of text to a number, date or time failed; the message is the
// runtime's own ("'abc' is not a valid integer value").
class ConvertError : public Error {
 public:
  using Error::Error;
};

// The text of the general error box: the message, with "." appended when its
// last byte sorts after ".".
std::string ErrorBoxText(std::string_view message);

// The message of any exception as the general error box would show it:
// an Error's own text, the what() of any other standard exception.
std::string MessageOf(const std::exception& e);

}  // namespace talven
