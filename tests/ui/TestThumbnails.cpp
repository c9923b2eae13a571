// Thumbnails in the desktop's shared cache: the entries we write follow the rules file managers
// check, theirs are reused, stale ones are not, and unreadable pictures get a fail entry.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryFile>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <QtEndian>
#include <functional>

#include "MainForm.h"
#include "PictureDelegate.h"
#include "PicturePane.h"
#include "Prompts.h"
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
  return QCryptographicHash::hash(QUrl::fromLocalFile(picture).toEncoded(), QCryptographicHash::Md5)
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

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

// Drops files on the window's tree as a file manager does.
void DropFiles(QAbstractItemView* tree, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &drop);
}

bool IsMagenta(const QImage& image) {
  return image.pixelColor(image.width() / 2, image.height() / 2) == QColor(255, 0, 255);
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

// What `run` writes on stderr, from any thread.
QString StderrOf(const std::function<void()>& run) {
  QTemporaryFile file;
  file.open();
  std::fflush(stderr);
  const int saved = ::dup(2);
  ::dup2(file.handle(), 2);
  run();
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  return QString::fromUtf8(Bytes(file.fileName()));
}

// Files under the folder with their contents, to tell that nothing was written there.
QMap<QString, QByteArray> Contents(const QString& folder) {
  QMap<QString, QByteArray> files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    files[path] = Bytes(path);
  }
  return files;
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

  // What another user (or a program running as one) may have left under an entry's name is never
  // read, never waited on and never written through: the thumbnail is made afresh and replaces it.
  void hostileEntriesCountAsMissingAndAreReplaced() {
    uitest::TTestEnvironment env;
    const QString root = env.Path("cache/thumbnails/");
    const QString outside = env.Path("outside.png");
    enum TPlant { kEntry, kPipe, kLink, kPadded };
    const struct {
      const char* name;
      const char* folder;
      TPlant plant;
      QSize size;
      int mode;
      uid_t owner;
      QString linkTo;
    } cases[] = {
        {"a pipe", "normal/", kPipe, {}, 0600, 0, {}},
        {"a link to /dev/zero", "normal/", kLink, {}, 0, 0, "/dev/zero"},
        {"a link to an entry elsewhere", "normal/", kLink, {128, 85}, 0600, 0, outside},
        {"another user's", "normal/", kEntry, {128, 85}, 0600, 65534, {}},
        {"writable by the group", "normal/", kEntry, {128, 85}, 0620, 0, {}},
        {"writable by others", "normal/", kEntry, {128, 85}, 0606, 0, {}},
        {"5000 x 5000 under a normal name", "normal/", kEntry, {5000, 5000}, 0600, 0, {}},
        {"300 x 200 under a large name", "large/", kEntry, {300, 200}, 0600, 0, {}},
        {"more than 1 MB", "normal/", kPadded, {128, 85}, 0600, 0, {}},
    };
    QVERIFY(QDir().mkpath(root + "normal") && QDir().mkpath(root + "large"));
    TThumbnailProvider provider;
    QElapsedTimer timer;
    int n = 0;
    for (const auto& c : cases) {
      const QString picture = uitest::MakeJpeg(env.Path(QString("p%1.jpg").arg(n++)), 300, 200);
      const qint64 mtime = StatMTime(picture);
      const QString entry = root + c.folder + RuleName(picture);
      const QString written = c.plant == kLink ? c.linkTo : entry;
      if (!c.size.isEmpty()) WriteForeignEntry(written, picture, mtime, c.size);
      if (c.plant == kPipe) ::mkfifo(QFile::encodeName(entry), c.mode);
      if (c.plant == kLink) QVERIFY(QFile::link(c.linkTo, entry));
      if (c.plant == kPadded) {  // after the end: a valid picture still
        QFile file(entry);
        QVERIFY(file.open(QIODevice::Append) && file.write(QByteArray(1100000, 0)) > 0);
      }
      if (c.plant != kLink) ::chmod(QFile::encodeName(entry), c.mode);
      if (c.owner != 0) QCOMPARE(::chown(QFile::encodeName(entry), c.owner, c.owner), 0);
      const QByteArray outsideBefore = Bytes(outside);
      timer.start();
      const QImage icon = Await(provider, picture, 64);
      QVERIFY2(!icon.isNull() && !IsMagenta(icon), c.name);
      // Nothing waits on a pipe (a reader stuck in it would keep a worker for good).
      QVERIFY2(timer.elapsed() < 5000, c.name);
      // Made again and stored as ours, replacing what was planted.
      const QString ours = root + "normal/" + RuleName(picture);
      struct stat info {};
      QVERIFY2(::lstat(QFile::encodeName(ours), &info) == 0 && S_ISREG(info.st_mode), c.name);
      QVERIFY2(info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0600, c.name);
      QVERIFY2(TextChunks(ours).contains("tEXt Thumb::MTime=" + QString::number(mtime)), c.name);
      QCOMPARE(Bytes(outside), outsideBefore);
    }
  }

  // Thumbnail folders another user controls, or could swap, are neither read nor written; the
  // thumbnails are made in memory, and stderr says once per folder why.
  void untrustedThumbnailFoldersAreNotUsed() {
    uitest::TTestEnvironment env;
    const struct {
      const char* name;
      const char* spoiled;  // relative to the case's folder
      int mode;
      uid_t owner;
      bool linked;   // the thumbnails folder is a link to the spoiled one
      bool removed;  // the thumbnails folder is to be made inside the spoiled one
    } cases[] = {
        {"a link to another user's open folder", "theirs", 0777, 65534, true, false},
        {"another user's", "thumbnails", 0755, 65534, false, false},
        {"open to others", "thumbnails", 0777, 0, false, false},
        {"normal/ open to the group", "thumbnails/normal", 0770, 0, false, false},
        {"made inside an open folder", "", 0777, 0, false, true},
    };
    int n = 0;
    for (const auto& c : cases) {
      const QString base = env.Path(QString("case%1/").arg(n++));
      const QString root = base + "thumbnails/";
      QStringList pictures;
      for (const char* name : {"a.jpg", "b.jpg"}) {
        pictures << uitest::MakeJpeg(base + name, 300, 200);
        WriteForeignEntry(root + "normal/" + RuleName(pictures.back()), pictures.back(),
                          StatMTime(pictures.back()), QSize(128, 85));
      }
      const QString spoiled = QDir::cleanPath(base + c.spoiled);
      if (c.linked) QVERIFY(QDir().rename(root, spoiled) && QFile::link(spoiled, root.chopped(1)));
      if (c.removed) QVERIFY(QDir(root).removeRecursively());
      ::chmod(QFile::encodeName(spoiled), c.mode);
      if (c.owner != 0) QCOMPARE(::chown(QFile::encodeName(spoiled), c.owner, c.owner), 0);
      const QMap<QString, QByteArray> before = Contents(base);
      const QString said = StderrOf([&] {
        TThumbnailProvider provider{TThumbnailCache(root)};
        for (const QString& picture : pictures) {
          const QImage icon = Await(provider, picture, 64);
          QVERIFY2(!icon.isNull() && !IsMagenta(icon), c.name);
        }
      });
      QCOMPARE(Contents(base), before);
      const QString named = c.linked ? root.chopped(1) : spoiled;
      QVERIFY2(said.contains("the thumbnail cache folder " + named), qPrintable(said));
      QVERIFY2(said.count("is not used") == 1, qPrintable(said));
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
    // Left by a write killed midway (no process has that number): removed.
    const QString folder = env.Path("cache/thumbnails/fail/torvane-1.1/");
    const QString fail = folder + RuleName(picture), litter = folder + "~" + RuleName(picture);
    QVERIFY(QDir().mkpath(folder));
    WriteText(litter + ".99999999-0a1b2c.tmp", "half an entry");
    TThumbnailProvider provider;
    QSignalSpy failed(&provider, &TThumbnailProvider::thumbnailFailed);
    QVERIFY(Await(provider, picture, 40).isNull());
    QCOMPARE(failed.size(), 1);
    QVERIFY(!QFileInfo::exists(litter + ".99999999-0a1b2c.tmp"));
    QVERIFY2(failed[0][1].toString().contains(picture), qPrintable(failed[0][1].toString()));
    QCOMPARE(provider.Problem(picture), failed[0][1].toString());
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
    // Another size of the same class joins that job instead of decoding again.
    provider.SetMemoryLimit(TThumbnailProvider::kDefaultMemoryLimit);
    QVERIFY(provider.Thumbnail(pictures[0], 96).isNull());
    QCOMPARE(provider.InFlight(), 1);
    QCOMPARE(Await(provider, pictures[0], 96).width(), 96);
    QCOMPARE(provider.Thumbnail(pictures[0], 48).width(), 48);
  }

  void picturesAreFlaggedInTheWindowAtOnce() {
    uitest::TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    auto* tree = uitest::Find<QTreeView>(form, "trvwDesignPanel");
    auto* delegate = qobject_cast<TPictureDelegate*>(tree->itemDelegate());
    QVERIFY(delegate);
    const QString good = uitest::MakeJpeg(env.Path("drop/good.jpg"), 400, 300);
    const QString broken = env.Path("drop/broken.jpg");
    WriteText(broken, "not a picture");
    DropFiles(tree, {good, broken});
    const QModelIndex first = tree->model()->index(0, 0, tree->model()->index(0, 0));
    const QModelIndex second = first.siblingAtRow(1);
    // Flagged before any thumbnail is made: nothing has run the event loop yet.
    QVERIFY(!delegate->flagged(first));
    QVERIFY(delegate->flagged(second));
    QVERIFY2(delegate->toolTip(second).contains(broken), qPrintable(delegate->toolTip(second)));
    QCOMPARE(delegate->toolTip(first), good);
    QCOMPARE(delegate->text(first), "Item   good.jpg  400 × 300");
    QCOMPARE(first.data().toString(), "Item");  // the caption itself stays
    // Screen readers hear what the rows show, the problem included.
    QCOMPARE(first.data(Qt::AccessibleTextRole).toString(), delegate->text(first));
    QVERIFY(second.data(Qt::AccessibleDescriptionRole).toString().startsWith("Warning: "));
    // The slider's row and an item without a picture show the tree's hint.
    form.document().insertItem(-1);
    for (const QModelIndex& row : {tree->model()->index(0, 0), first.siblingAtRow(2)})
      QCOMPARE(delegate->toolTip(row), tree->toolTip());
    QTRY_VERIFY(!delegate->icon(first).isNull());
    QCOMPARE(delegate->icon(first).availableSizes().value(0), QSize(40, 30));

    // The picture pane follows the selection; a typed path is checked as it is typed.
    uitest::Find<QSpinBox>(form, "spedt_pHeight")->setValue(120);
    tree->setCurrentIndex(first);
    auto* pixels = uitest::Find<QLabel>(form, "lblPixelSize");
    QCOMPARE(pixels->text(), "400 × 300 pixels");
    QCOMPARE(uitest::Find<QLabel>(form, "lblPublishedSize")->text(),
             "Published at 160 × 120 pixels");
    QTRY_VERIFY(uitest::Find<QLabel>(form, "lblPicture")->pixmap().width() == 240);
    const QString later = env.Path("later.jpg");
    auto* pathBox = uitest::Find<QLineEdit>(form, "edtOriginalImagePath");
    pathBox->selectAll();
    QTest::keyClicks(pathBox, later);
    QVERIFY(delegate->flagged(first));
    QVERIFY2(delegate->toolTip(first).contains("file not found"),
             qPrintable(delegate->toolTip(first)));
    QVERIFY(uitest::Find<QLabel>(form, "lblPicture")->text().contains("file not found"));
    // The file appears while the window is in the background: checked again on activation.
    uitest::MakeJpeg(later, 60, 60);
    QVERIFY(delegate->flagged(first));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&form, &activate);
    QVERIFY(!delegate->flagged(first));

    // Several selected: their thumbnails side by side.
    tree->selectionModel()->select(QItemSelection(first, second),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    auto* sideBySide = uitest::Find<QListWidget>(form, "lstPictures");
    QCOMPARE(sideBySide->count(), 2);
    QVERIFY(sideBySide->isVisibleTo(&form));
    QCOMPARE(pixels->text(), "2 pictures");
    QVERIFY(sideBySide->item(1)->toolTip().contains(broken));
    // Many: a grid of equal cells that wraps and scrolls at the window's size; the first
    // TPicturePane::kMostDrawn are drawn, all are counted.
    form.resize(781, 524);
    form.document().addPictures(QStringList(250, good) << broken);
    tree->selectAll();
    QCOMPARE(sideBySide->count(), TPicturePane::kMostDrawn);
    QCOMPARE(pixels->text(),
             QString("253 pictures (the first %1 shown)").arg(TPicturePane::kMostDrawn));
    QTRY_VERIFY(sideBySide->verticalScrollBar()->maximum() > 0);
    const QRect cell = sideBySide->visualItemRect(sideBySide->item(0));
    QCOMPARE(sideBySide->visualItemRect(sideBySide->item(1)).size(), cell.size());
    QVERIFY(sideBySide->visualItemRect(sideBySide->item(sideBySide->count() - 1)).top() >
            cell.bottom());  // wrapped

    // Large thumbnails, remembered for the next window.
    uitest::Act(form, "LargeThumbnails1")->trigger();
    QCOMPARE(delegate->iconSize(), TPictureDelegate::kLargeIcon);
    QCOMPARE(tree->iconSize(), QSize(80, 80));
    TMainForm next(env.ProgramFolder());
    QVERIFY(uitest::Act(next, "LargeThumbnails1")->isChecked());
    QVERIFY(!uitest::Act(next, "SmallThumbnails1")->isChecked());
    VERIFY_PROMPTS();
  }
};

TORVANE_UI_TEST(TestThumbnails);
#include "TestThumbnails.moc"
