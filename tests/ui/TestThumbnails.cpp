// Thumbnails in the desktop's shared cache: the entries we write follow the rules file managers
// check, theirs are reused, stale ones are not, and unreadable pictures get a fail entry.
#include <QCryptographicHash>
#include <QSignalSpy>
#include <QtEndian>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QUrl>
#include <sys/stat.h>

#include "ThumbnailProvider.h"
#include "UiTest.h"

namespace {

// The text chunks of a PNG file, "type key=value" (zTXt and iTXt values are not unpacked).
QStringList TextChunks(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {"unreadable"};
  const QByteArray png = file.readAll();
  QStringList chunks;
  for (qsizetype at = 8; at + 12 <= png.size();) {
    const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
    const QByteArray type = png.mid(at + 4, 4);
    const QByteArray data = png.mid(at + 8, length);
    if (type == "tEXt") chunks << "tEXt " + QString::fromLatin1(data).replace(QChar(0), '=');
    if (type == "zTXt" || type == "iTXt") chunks << type + " " + data.left(data.indexOf('\0'));
    at += 12 + length;
  }
  return chunks;
}

int ModeOf(const QString& path) {
  struct stat s {};
  return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? (s.st_mode & 0777) : -1;
}

qint64 StatMTime(const QString& path) {
  struct stat s {};
  return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_mtime : -1;
}

// What the cache's rules name the entry of a picture: the MD5 sum of its file URI.
QString RuleName(const QString& picture) {
  return QCryptographicHash::hash(QUrl::fromLocalFile(picture).toEncoded(),
                                  QCryptographicHash::Md5)
             .toHex() +
         ".png";
}

// The thumbnail once the provider has it (or has given up).
QImage Await(TThumbnailProvider& provider, const QString& path, int box) {
  QImage image = provider.Thumbnail(path, box);
  for (int waited = 0; image.isNull() && provider.InFlight() > 0 && waited < 20000; waited += 5) {
    QTest::qWait(5);
    image = provider.Thumbnail(path, box);
  }
  return image;
}

// An entry as another program writes it: one colour, the texts Qt's PNG writer chooses.
void WriteForeignEntry(const QString& entry, const QString& picture, qint64 mtime, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  image.setText("Thumb::URI", QUrl::fromLocalFile(picture).toEncoded());
  image.setText("Thumb::MTime", QString::number(mtime));
  image.setText("Software", "Another File Manager");
  QDir().mkpath(QFileInfo(entry).path());
  QVERIFY(image.save(entry, "PNG"));
}

bool IsMagenta(const QImage& image) {
  return image.pixelColor(image.width() / 2, image.height() / 2) == QColor(255, 0, 255);
}

}  // namespace

class TestThumbnails : public QObject {
  Q_OBJECT

 private slots:
  void entriesWeWriteFollowTheCacheRules() {
    uitest::TTestEnvironment env;
    const QString picture = uitest::MakeJpeg(env.Path("my photos/été 1.jpg"), 400, 300);
    TThumbnailProvider provider;
    QCOMPARE(provider.MaxWorkers(), QThread::idealThreadCount());
    const QImage icon = Await(provider, picture, 40);
    QCOMPARE(icon.size(), QSize(40, 30));

    const QString root = env.Path("cache/thumbnails/");
    const QString entry = root + "normal/" + RuleName(picture);
    QVERIFY2(QFileInfo::exists(entry), qPrintable(entry));
    QCOMPARE(QImage(entry).size(), QSize(128, 96));
    const QStringList texts = TextChunks(entry);
    QVERIFY2(texts.contains("tEXt Thumb::URI=" + QUrl::fromLocalFile(picture).toEncoded()),
             qPrintable(texts.join(" | ")));
    QVERIFY2(texts.contains("tEXt Thumb::MTime=" + QString::number(StatMTime(picture))),
             qPrintable(texts.join(" | ")));
    QVERIFY(texts.contains("tEXt Software=Torvane 1.1"));
    QCOMPARE(ModeOf(entry), 0600);
    QCOMPARE(ModeOf(root), 0700);
    QCOMPARE(ModeOf(root + "normal"), 0700);
    QCOMPARE(QDir(root + "normal").entryList(QDir::Files | QDir::Hidden), {RuleName(picture)});

    // The picture pane's large thumbnail goes to "large".
    QCOMPARE(Await(provider, picture, 240).size(), QSize(240, 180));
    QVERIFY(QFileInfo::exists(root + "large/" + RuleName(picture)));
  }

  void anotherProgramsEntryIsReusedUnlessItIsStale() {
    uitest::TTestEnvironment env;
    const QString root = env.Path("cache/thumbnails/");
    const struct {
      const char* name;
      const char* folder;
      qint64 mtimeOffset;  // from the picture's true modification time
      bool reused;
    } cases[] = {
        {"normal.jpg", "normal/", 0, true},
        {"large-only.jpg", "large/", 0, true},  // a normal one is made from a large one
        {"stale.jpg", "normal/", -1, false},
        {"newer.jpg", "normal/", 3600, false},
    };
    TThumbnailProvider provider;
    for (const auto& c : cases) {
      const QString picture = uitest::MakeJpeg(env.Path(c.name), 300, 200);
      const qint64 mtime = StatMTime(picture);
      WriteForeignEntry(root + c.folder + RuleName(picture), picture, mtime + c.mtimeOffset,
                        c.folder == QString("large/") ? QSize(256, 170) : QSize(128, 85));
      const QImage icon = Await(provider, picture, 64);
      QVERIFY2(!icon.isNull(), c.name);
      QCOMPARE(icon.width(), 64);
      QVERIFY2(IsMagenta(icon) == c.reused, c.name);
      if (!c.reused) {  // replaced by a valid one of ours
        const QStringList texts = TextChunks(root + "normal/" + RuleName(picture));
        QVERIFY2(texts.contains("tEXt Thumb::MTime=" + QString::number(mtime)), c.name);
      }
    }
  }

  void unreadablePictureGetsAFailEntry() {
    uitest::TTestEnvironment env;
    const QString picture = env.Path("broken.jpg");
    {
      QFile file(picture);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("this is no picture at all");
    }
    TThumbnailProvider provider;
    QSignalSpy failed(&provider, &TThumbnailProvider::thumbnailFailed);
    QVERIFY(Await(provider, picture, 40).isNull());
    QCOMPARE(failed.size(), 1);
    QVERIFY2(failed[0][1].toString().contains(picture), qPrintable(failed[0][1].toString()));
    QCOMPARE(provider.Problem(picture), failed[0][1].toString());
    const QString fail = env.Path("cache/thumbnails/fail/torvane-1.1/") + RuleName(picture);
    QVERIFY2(TextChunks(fail).contains("tEXt Thumb::MTime=" + QString::number(StatMTime(picture))),
             qPrintable(TextChunks(fail).join(" | ")));
    // Not tried again while the file stays as it is, not even by a program started afresh.
    QVERIFY(provider.Thumbnail(picture, 40).isNull());
    QCOMPARE(provider.InFlight(), 0);
    TThumbnailProvider fresh;
    QSignalSpy failedAgain(&fresh, &TThumbnailProvider::thumbnailFailed);
    QVERIFY(Await(fresh, picture, 40).isNull());
    QCOMPARE(failedAgain.size(), 1);
    // Once the file is replaced by a picture, it gets its thumbnail.
    uitest::MakeJpeg(picture, 80, 40);
    QCOMPARE(Await(provider, picture, 40).size(), QSize(40, 20));
    QVERIFY(provider.Problem(picture).isEmpty());
  }

  void memoryHoldsWhatWasAskedForLast() {
    uitest::TTestEnvironment env;
    TThumbnailProvider provider;
    QStringList pictures;
    for (int i = 0; i < 6; ++i)
      pictures << uitest::MakeJpeg(env.Path(QString("p%1.jpg").arg(i)), 160, 160);
    const qint64 one = Await(provider, pictures[0], 48).sizeInBytes();
    provider.SetMemoryLimit(3 * (one + 256));
    for (const QString& picture : pictures) QVERIFY(!Await(provider, picture, 48).isNull());
    QCOMPARE(provider.Held(), 3);
    QVERIFY(provider.MemoryUsed() <= 3 * (one + 256));
    // The last ones asked for are at hand; the first is made again (from the disk cache).
    QVERIFY(!provider.Thumbnail(pictures[5], 48).isNull());
    QVERIFY(provider.Thumbnail(pictures[0], 48).isNull());
    QCOMPARE(provider.InFlight(), 1);
  }
};

TORVANE_UI_TEST(TestThumbnails);
#include "TestThumbnails.moc"
