#include "ModelText.h"

#include <QCoreApplication>
#include <QLocale>

#include "Errors.h"

namespace modeltext {

QString Shown(const TMessage& message) {
  const QString source = QString::fromUtf8(message.Source());
  const QString translated = QCoreApplication::translate("model", message.Source());
  // Untranslated, counts stay as the English writes them.
  const bool inTranslation = translated != source;
  const std::vector<TMessageArgument>& arguments = message.Arguments();
  return QString::fromStdString(TMessage::Fill(
      translated.toStdString(), [&](size_t index, bool grouped) -> std::optional<std::string> {
        if (index >= arguments.size()) return std::nullopt;
        const TMessageArgument& argument = arguments[index];
        if (const std::string* text = argument.Text()) return *text;
        if (const long long* number = argument.Number()) {
          return (grouped && inTranslation ? QLocale().toString(*number) : QString::number(*number))
              .toStdString();
        }
        return Shown(*argument.Message()).toStdString();
      }));
}

QString Shown(const std::exception& error) {
  if (const auto* failure = dynamic_cast<const TvError*>(&error)) return Shown(failure->Message());
  return QString::fromUtf8(error.what());
}

}  // namespace modeltext
