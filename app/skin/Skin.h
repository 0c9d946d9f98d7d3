#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

class QTemporaryDir;

namespace quillory {

// A skin is a folder holding "Options.dat": a Qt style sheet in UTF-8 whose url(...) references
// name image files of the same folder by relative path ("images/wood.png"). The packed form is the
// same files in one file "<name>.asz" (format in SkinArchive.h).
//
// The skin manager draws the whole application in the skin's look while it lives and gives the
// application its previous look back when it goes.
class TsSkinManager : public QObject {
    Q_OBJECT
public:
    // Looks in `skinsDir` for skin `name`: the packed file "<name>.asz", else the folder "<name>".
    // The first one that is sound is switched on; a missing or broken skin is passed over without a
    // word and leaves the plain look. Returns the manager, a child of `owner`, active or not.
    static TsSkinManager* SwitchOn(QObject* owner, const std::filesystem::path& skinsDir,
                                   const QString& name);
    ~TsSkinManager() override;

    bool Active() const { return active_; }
    // Where the skin in use came from: the packed file or the folder; empty when inactive.
    const QString& Source() const { return source_; }

private:
    explicit TsSkinManager(QObject* owner);
    bool TryPacked(const QString& file);
    bool TryFolder(const QString& folder);
    void Apply(const QString& styleSheet, const QString& source);

    bool active_ = false;
    QString source_;
    QString previousStyleSheet_;
    std::unique_ptr<QTemporaryDir> unpacked_;  // the packed skin's files while it is in use
};

}  // namespace quillory
