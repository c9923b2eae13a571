// The project model's messages (TMessage, carried by every TvError) in the window's language: the
// English source looked up under the context "model" of the installed translations, its
// placeholders filled in (a message among the arguments translated in turn, a count written with
// the language's digit grouping where the source says %L1). Where there is no translation the
// text is exactly the model's English. Plain text: never to be shown as rich text.
#pragma once

#include <QString>
#include <exception>

#include "Message.h"

namespace modeltext {

QString Shown(const TMessage& message);
// What the user reads for a failure: a TvError's message as above, any other exception's what().
QString Shown(const std::exception& error);

}  // namespace modeltext
