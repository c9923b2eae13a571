// Errors raised by the model. Every error carries the text the user is shown, in English as
// what() and as a message the window shows in its own language; one handler per command puts it
// into the standard error box (or, in the command-line publisher, what() on stderr).
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "Message.h"

class TvError : public std::runtime_error {
 public:
  explicit TvError(TMessage message)
      : std::runtime_error(message.English()),
        message_(std::make_shared<const TMessage>(std::move(message))) {}
  // A text that is already in the user's language (made by the window).
  explicit TvError(const std::string& text) : TvError(TMessage::Verbatim(text)) {}

  const TMessage& Message() const { return *message_; }

 private:
  std::shared_ptr<const TMessage> message_;  // shared: a thrown error is copied
};

// A text that should have been a whole number: "'%s' is not a valid integer value".
class TvConvertError : public TvError {
 public:
  explicit TvConvertError(const std::string& text)
      : TvError(TV_MESSAGE("model", "'%1' is not a valid integer value").Arg(text)) {}
};

// A file that cannot be created, written, opened or read. The text names the file.
class TvFileError : public TvError {
 public:
  using TvError::TvError;
};
