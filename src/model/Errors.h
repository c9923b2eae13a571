// Errors raised by the model. Every error carries the text the user is shown; one handler per
// command puts it into the standard error box (or, in the command-line publisher, on stderr).
#pragma once

#include <stdexcept>
#include <string>

class TvError : public std::runtime_error {
 public:
  explicit TvError(const std::string& text) : std::runtime_error(text) {}
};

// A text that should have been a whole number: "'%s' is not a valid integer value".
class TvConvertError : public TvError {
 public:
  explicit TvConvertError(const std::string& text)
      : TvError("'" + text + "' is not a valid integer value") {}
};

// A file that cannot be created, written, opened or read. The text names the file.
class TvFileError : public TvError {
 public:
  using TvError::TvError;
};
