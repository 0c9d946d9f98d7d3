#pragma once

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>

#include <filesystem>

namespace quillory {

class TsSkinStyle;

// A skin is a folder holding "Options.dat", which names the skin's colours and pictures (format in
// SkinLook.h), and the pictures themselves. The packed form is the same files in one file
// "<name>.asz" (format in storage/SkinArchive.h).
//
// The skin manager draws the whole application in the skin's look while it lives (TsSkinStyle) and
// gives the application the plain look back when it goes.
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

    bool active_ = false;
    QString source_;
    QPointer<TsSkinStyle> style_;  // owned by the application while it is its style
    QPalette previousToolTips_;
};

}  // namespace quillory
