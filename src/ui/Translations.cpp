#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace translations {

bool Install(QCoreApplication& application, const QLocale& locale) {
  const auto load = [&](const QString& name, const QString& folder) {
    auto* translator = new QTranslator(&application);
    if (translator->load(locale, name, QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(translator);
      return true;
    }
    delete translator;
    return false;
  };
  load(QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  return load(QStringLiteral("torvane"), QStringLiteral(":/i18n"));
}

}  // namespace translations
