// A message of the model for the user: its English source text with the placeholders %1, %2, ...
// and their arguments. The window shows it in its own language (the source looked up among the
// window's translations, the arguments filled in); torvane-cli, logs and what() use English().
//
// Sources are written with TV_MESSAGE("model", "...") only (or, where a table keeps the literal,
// TV_MESSAGE_NOOP and TMessage(source) where it is shown), so that lupdate finds them:
// tools/translations.sh names both to it as spellings of QT_TRANSLATE_NOOP, which files the text
// under the context "model", where the window looks it up.
//
//   throw TvError(TV_MESSAGE("model", "Cannot read picture %1: %2").Arg(path).Arg(reason));
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#define TV_MESSAGE(context, source) TMessage(source)
#define TV_MESSAGE_NOOP(context, source) source

class TMessage;

// What fills a placeholder: plain text (a file name, a value from a file, a library's own words:
// never translated), a number (%L1 in a source asks the window to group its digits as its
// language does) or a message of its own, translated in turn.
class TMessageArgument {
 public:
  TMessageArgument(std::string text) : value_(std::move(text)) {}    // NOLINT: implicit
  TMessageArgument(const char* text) : value_(std::string(text)) {}  // NOLINT: implicit
  template <typename T,
            typename = std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                        !std::is_same_v<T, char>>>
  TMessageArgument(T number) : value_(static_cast<long long>(number)) {}  // NOLINT: implicit
  TMessageArgument(TMessage message);                                     // NOLINT: implicit

  const std::string* Text() const { return std::get_if<std::string>(&value_); }
  const long long* Number() const { return std::get_if<long long>(&value_); }
  const TMessage* Message() const;
  std::string English() const;

 private:
  std::variant<std::string, long long, std::shared_ptr<const TMessage>> value_;
};

class TMessage {
 public:
  // source: a literal marked with TV_MESSAGE (it is kept as a pointer).
  explicit TMessage(const char* source) : source_(source) {}
  // Text shown as it is in every language: made by the window in its own, or a library's words.
  static TMessage Verbatim(std::string text) { return TMessage("%1").Arg(std::move(text)); }

  // Fills the next placeholder (%1 first).
  TMessage& Arg(TMessageArgument argument) & {
    arguments_.push_back(std::move(argument));
    return *this;
  }
  TMessage&& Arg(TMessageArgument argument) && {
    arguments_.push_back(std::move(argument));
    return std::move(*this);
  }

  const char* Source() const { return source_; }
  const std::vector<TMessageArgument>& Arguments() const { return arguments_; }
  // The source with every %N and %LN replaced by argument N in English, in one pass (a file name
  // that holds "%2" stays as it is); a placeholder without its argument stays too.
  std::string English() const;

  // Replaces each %N and %LN of `text` (N from 1 to 99) by what `argument` gives for index N - 1
  // (and whether the digits are to be grouped), in one pass; nullopt leaves the placeholder.
  using TFill = std::function<std::optional<std::string>(size_t index, bool grouped)>;
  static std::string Fill(const std::string& text, const TFill& argument);

 private:
  const char* source_;
  std::vector<TMessageArgument> arguments_;
};
