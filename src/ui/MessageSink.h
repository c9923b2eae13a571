// Where the model's messages (IMessages) go in the window program: a message box over the window
// with an OK button, through the Prompts wrapper.
#pragma once

#include "Host.h"

class QWidget;

class TMessageSink : public IMessages {
 public:
  explicit TMessageSink(QWidget* window) : window_(window) {}
  void Show(TMessageKind kind, const TMessage& message) override;

 private:
  QWidget* window_;
};
