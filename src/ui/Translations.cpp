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
  // English needs only the forms of its plurals ("1 picture", "2 pictures"); they also stand in
  // for a language without a translation. A translator installed later takes precedence.
  auto* plurals = new QTranslator(&application);
  if (plurals->load(QStringLiteral(":/i18n/torvane_en.qm")))
    QCoreApplication::installTranslator(plurals);
  else
    delete plurals;
  // The first of the user's languages (LANGUAGE, then the locale) that has a translation.
  if (locale.uiLanguages().value(0).startsWith(QLatin1String("en"))) return false;
  load(QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  return load(QStringLiteral("torvane"), QStringLiteral(":/i18n"));
}

}  // namespace translations
