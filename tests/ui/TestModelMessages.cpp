// The project model's errors as the window shows them: in the window's language, with file names
// and values as they are, and in English exactly as the model words them (its what()).
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <QTranslator>
#include <functional>
#include <optional>

#include "MainForm.h"
#include "UiTest.h"

using namespace uitest;

namespace {

// The German window for as long as it lives (the translation and the locale's number forms).
class TGermanWindow {
 public:
  TGermanWindow() {
    loaded_ = translator_.load(QStringLiteral(":/i18n/torvane_de.qm"));
    QCoreApplication::installTranslator(&translator_);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  ~TGermanWindow() {
    QLocale::setDefault(before_);
    QCoreApplication::removeTranslator(&translator_);
  }
  bool Loaded() const { return loaded_; }

 private:
  QTranslator translator_;
  QLocale before_;
  bool loaded_ = false;
};

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

class TestModelMessages : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void modelErrorsShowInTheWindowsLanguage() {
    TTestEnvironment env;
    const QString gone = env.Path("pictures/gone.jpg");
    const QString broken = env.Path("pictures/broken.jpg");
    QDir().mkpath(env.Path("pictures"));
    WriteBytes(broken, "no picture in here");
    const auto withPicture = [&](const QString& name, const QString& picture) {
      return WriteProject(env.Path(name), {"1"}, [&](TProjectModel& model) {
        model.Items[0].originalPath = picture.toStdString();
      });
    };
    const QByteArray text = ReadText(withPicture("good.tvn", gone)).toUtf8();
    const QString cut = env.Path("cut.tvn");
    WriteBytes(cut, text.left(text.indexOf("<Item_Parameters>")));
    const QString width = env.Path("width.tvn");
    WriteBytes(width, QByteArray(text).replace("#$@370#$@", "#$@48O#$@"));
    const QString large = env.Path("large.tvn");
    QFile sparse(large);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize((128 << 20) + 1));
    sparse.close();

    // The box an Open of `path` ends with.
    const auto opening = [&](const QString& path) {
      return [&, path](TMainForm& form) {
        prompt::QueueFile(path);
        prompt::QueueButton(TButton::Ok);
        Act(form, "Open1")->trigger();
        return prompt::Shown().last().text;
      };
    };
    struct TCase {
      const char* what;
      std::function<QString(TMainForm&)> shown;
      QString german, english;
    };
    const TCase cases[] = {
        {"a project file that ends early", opening(cut),
         "Die Projektdatei " + cut +
             " endet vorzeitig, vor der Bilderliste, und wurde nicht geöffnet: Sie wurde "
             "womöglich abgeschnitten.",
         "The project file " + cut +
             " ends early, before its image list, and was not opened: it may have been cut "
             "short."},
        {"a bad value in a project file", opening(width),
         "Die Projektdatei " + width +
             " wurde nicht geöffnet: Zeile 12 enthält „48O“ als Breite des Sliders; erwartet "
             "wird eine ganze Zahl von -9999 bis 9999.",
         "The project file " + width +
             " was not opened: line 12 holds the slider's width '48O', which is not a whole "
             "number from -9999 to 9999."},
        {"a project file too large to read", opening(large),
         "Die Datei " + large +
             " ist zu groß (134.217.729 Bytes; höchstens 134.217.728 werden "
             "gelesen)",
         "The file " + large + " is too large (134217729 bytes; at most 134217728 are read)"},
        {"a missing picture",
         [&](TMainForm& form) {
           form.files().openProjectFile(env.Path("good.tvn"));
           Select(form, {0});
           return Find<QLabel>(form, "lblPicture")->text();
         },
         "Das Bild " + gone + " kann nicht gelesen werden: Datei nicht gefunden",
         "Cannot read picture " + gone + ": file not found"},
        {"a picture that is none, found while saving on a worker",
         [&](TMainForm& form) {
           form.files().openProjectFile(withPicture("broken.tvn", broken));
           form.document().insertItem(-1);  // something to save
           prompt::QueueButton(TButton::Ok);
           Act(form, "tlbtnSave")->trigger();
           return prompt::Shown().last().text;
         },
         "Element 1: Das Bild " + broken +
             " kann nicht gelesen werden: keine Bilddatei in einem lesbaren Format (JPEG, PNG, "
             "WebP, HEIC, AVIF oder TIFF)",
         "Item 1: Cannot read picture " + broken +
             ": not a picture file in a format we read (JPEG, PNG, WebP, HEIC, AVIF or TIFF)"},
    };
    for (const bool german : {true, false}) {
      std::optional<TGermanWindow> language;
      if (german) QVERIFY(language.emplace().Loaded());
      for (const TCase& c : cases) {
        TMainForm form(env.ProgramFolder());
        const QString shown = c.shown(form);
        QVERIFY2(shown == (german ? c.german : c.english), qPrintable(c.what + (": " + shown)));
      }
    }
  }
};

TORVANE_UI_TEST(TestModelMessages);
#include "TestModelMessages.moc"
