#include "base/error.h"

namespace talven {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  return text;
}

std::string MessageOf(const std::exception& e) {
  if (const auto* err = dynamic_cast<const Error*>(&e)) return err->message();
  return e.what();
}

}  // namespace talven
