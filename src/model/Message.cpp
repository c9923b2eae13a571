#include "Message.h"

TMessageArgument::TMessageArgument(TMessage message)
    : value_(std::make_shared<const TMessage>(std::move(message))) {}

const TMessage* TMessageArgument::Message() const {
  const auto* message = std::get_if<std::shared_ptr<const TMessage>>(&value_);
  return message ? message->get() : nullptr;
}

std::string TMessageArgument::English() const {
  if (const std::string* text = Text()) return *text;
  if (const long long* number = Number()) return std::to_string(*number);
  return Message()->English();
}

std::string TMessage::English() const {
  return Fill(source_, [this](size_t index, bool) -> std::optional<std::string> {
    if (index >= arguments_.size()) return std::nullopt;
    return arguments_[index].English();
  });
}

std::string TMessage::Fill(const std::string& text, const TFill& argument) {
  std::string out;
  out.reserve(text.size());
  const auto isDigit = [&](size_t at) {
    return at < text.size() && text[at] >= '0' && text[at] <= '9';
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      const bool grouped = i + 1 < text.size() && text[i + 1] == 'L';
      size_t end = i + (grouped ? 2 : 1);
      int number = 0;
      for (int digits = 0; digits < 2 && isDigit(end); ++digits, ++end)
        number = number * 10 + (text[end] - '0');
      if (number >= 1) {
        if (std::optional<std::string> value = argument(size_t(number - 1), grouped)) {
          out += *value;
          i = end - 1;
          continue;
        }
      }
    }
    out += text[i];
  }
  return out;
}
