#include "MessageSink.h"

#include "Prompts.h"

void TMessageSink::Show(TMessageKind kind, const std::string& text) {
  prompt::Message(window_, kind, QString::fromStdString(text), {TButton::Ok});
}
