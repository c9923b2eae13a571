#include "MessageSink.h"

#include "ModelText.h"
#include "Prompts.h"

void TMessageSink::Show(TMessageKind kind, const TMessage& message) {
  prompt::Message(window_, kind, modeltext::Shown(message), {TButton::Ok});
}
