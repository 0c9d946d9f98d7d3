#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillory {

// One file on the attachment list.
struct TAttachedFile {
    QString path;          // absolute, symbolic links resolved
    qint64 size = 0;       // when it was attached, or when the list was restored at start
    bool missing = false;  // not there when the list was restored: shown, never sent
    QString Name() const;
};

// The files attached to the next message. They stay attached until the user removes them, so the
// same price list can go to several customers one after another; the paths are kept between runs.
class TAttachedFiles : public QObject {
    Q_OBJECT
public:
    enum class TAddResult { Added, AlreadyAttached, Folder, NotFound };

    // Attaches the file at `path` with its size now; the same file (after resolving links) is
    // attached once. A folder or a path that names nothing is not attached.
    TAddResult Add(const QString& path);
    void Remove(int index);
    void Clear();
    // Replaces the list by the files at `paths`, as found now: one that is not there is kept,
    // marked missing.
    void Restore(const QStringList& paths);

    const QList<TAttachedFile>& Files() const { return files_; }
    QStringList Paths() const;
    // The files that go out with a message: all but the missing ones.
    QList<TAttachedFile> FilesToSend() const;
    qint64 TotalSize() const;

signals:
    void changed();

private:
    QList<TAttachedFile> files_;
};

// Why a file cannot go out as it was attached, as a Czech sentence naming the file; nothing when
// it can: it exists, can be opened for reading and still has the size it had when attached.
std::optional<QString> CheckAttachedFile(const TAttachedFile& file);

// The content type of the file, found from its content and name (shared-mime-info).
QString ContentTypeOf(const QString& path);

// A byte count for people: "0 B", "980 B", "12,3 kB", "10,5 MB" (powers of 1000).
QString FormatSize(qint64 bytes);

}  // namespace quillory
