#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

#include "storage/IniFile.h"
#include "storage/IniValueAccess.h"
#include "storage/WindowPlacement.h"

namespace quillory {

// Keeps a window's placement (normal rectangle, normal/minimized/maximized state) across runs in
// an INI file. It watches its form: at every showing it restores (before the form's own show
// handling runs), at the close it saves (before the form's own close handling runs). A form that
// can be destroyed without a close calls HandleDestroy first thing in its destructor, which saves
// when nothing was saved since the last restore.
//
// Each cycle reads the INI file once and writes it once, whole, at its end.
class TFormPlacement : public QObject, public TIniValueAccess {
    Q_OBJECT
public:
    enum TPlacementOption { fpState = 1, fpPosition = 2 };

    // Called inside the catch block of an error raised by a cycle that ran at show, close or
    // destroy; it shows the error as the program's default error handler does.
    using TErrorReporter = std::function<void()>;

    TFormPlacement(QWidget& form, TErrorReporter reportError);
    ~TFormPlacement() override;

    bool Active() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    int Options() const { return options_; }
    void SetOptions(int options) { options_ = options; }
    int Version() const { return version_; }
    void SetVersion(int version) { version_ = version; }
    // Empty: the executable's name with ".INI", in the user's configuration folder.
    void SetIniFileName(std::string name) { iniFileName_ = std::move(name); }
    std::string IniFileName() const;
    // Empty: the form's class name.
    void SetIniSection(std::string section) { iniSection_ = std::move(section); }
    std::string IniSection() const;

    std::function<void()> OnSavePlacement;
    std::function<void()> OnRestorePlacement;

    bool Saved() const { return saved_; }
    bool Restored() const { return restored_; }

    void RestoreAll();
    // Writes nothing when the placement is active but has not restored yet, so a window that was
    // never shown does not overwrite the file. Raises EIniFileException when the file cannot be
    // written; then nothing counts as saved.
    void SaveAll();
    void HandleDestroy();

    // Value access in IniSection: inside a cycle on the cycle's file, outside a cycle each call
    // reads or writes the file for itself.
    std::string ReadIniValue(std::string_view key, std::string_view defaultValue) override;
    void WriteIniValue(std::string_view key, std::string_view text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual void WritePlacement(TCustomIniFile& ini);
    virtual void ReadPlacement(const TCustomIniFile& ini);

    QWidget& Form() const { return *form_; }
    void MarkRestored() { restored_ = true; }

private:
    void ReadPosition(const TCustomIniFile& ini);
    void ReadState(const TCustomIniFile& ini);
    TPlacementContext Context() const;
    template <class Cycle>
    void RunReported(Cycle&& cycle) noexcept;

    QPointer<QWidget> form_;
    TErrorReporter reportError_;
    bool active_ = true;
    int options_ = fpState | fpPosition;
    int version_ = 0;
    std::string iniFileName_;
    std::string iniSection_;
    bool saved_ = false;
    bool restored_ = false;
    bool destroying_ = false;
    TIniFile* cycleIni_ = nullptr;  // the open file while a cycle runs
};

}  // namespace quillory
