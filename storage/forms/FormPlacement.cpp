#include "storage/forms/FormPlacement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "storage/IniLocation.h"
#include "storage/IniStorage.h"

namespace quillory {

namespace {

// Points the placement's value access at the cycle's file for as long as the cycle runs.
class TCycleScope {
public:
    TCycleScope(TIniFile*& slot, TIniFile& ini) : slot_(slot) { slot_ = &ini; }
    TCycleScope(const TCycleScope&) = delete;
    TCycleScope& operator=(const TCycleScope&) = delete;
    ~TCycleScope() { slot_ = nullptr; }

private:
    TIniFile*& slot_;
};

constexpr std::string_view kFormVersion = "FormVersion";

}  // namespace

TFormPlacement::TFormPlacement(QWidget& form, TErrorReporter reportError)
    : QObject(&form), form_(&form), reportError_(std::move(reportError)) {
    form.installEventFilter(this);
}

TFormPlacement::~TFormPlacement() {
    if (form_) form_->removeEventFilter(this);
}

std::string TFormPlacement::IniFileName() const {
    if (!iniFileName_.empty()) return iniFileName_;
    return DefaultIniName(QCoreApplication::applicationFilePath().toStdString());
}

std::string TFormPlacement::IniSection() const {
    if (!iniSection_.empty()) return iniSection_;
    const std::string className = form_ ? form_->metaObject()->className() : "";
    const auto colons = className.rfind("::");
    return colons == std::string::npos ? className : className.substr(colons + 2);
}

template <class Cycle>
void TFormPlacement::RunReported(Cycle&& cycle) noexcept {
    try {
        cycle();
    } catch (...) {
        if (reportError_) reportError_();
    }
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && active_) {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            RunReported([this] { RestoreAll(); });
        } else if (event->type() == QEvent::Close) {
            RunReported([this] { SaveAll(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void TFormPlacement::HandleDestroy() {
    if (!active_ || saved_) return;
    destroying_ = true;
    RunReported([this] { SaveAll(); });
    destroying_ = false;
}

void TFormPlacement::RestoreAll() {
    saved_ = false;
    TIniFile ini(IniFileName());
    TCycleScope scope(cycleIni_, ini);
    if (IniReadNumber(ini, IniSection(), kFormVersion, 0) >= version_) {
        ReadPlacement(ini);
        restored_ = true;
        if (OnRestorePlacement) OnRestorePlacement();
    }
    restored_ = true;
}

void TFormPlacement::SaveAll() {
    if (!restored_ && active_) return;
    TIniFile ini(IniFileName());
    TCycleScope scope(cycleIni_, ini);
    IniWriteNumber(ini, IniSection(), kFormVersion, version_);
    WritePlacement(ini);
    if (OnSavePlacement) OnSavePlacement();
    ini.UpdateFile();
    saved_ = true;
}

std::string TFormPlacement::ReadIniValue(std::string_view key, std::string_view defaultValue) {
    if (cycleIni_ != nullptr) return IniReadValue(*cycleIni_, IniSection(), key, defaultValue);
    return IniReadValue(TIniFile(IniFileName()), IniSection(), key, defaultValue);
}

void TFormPlacement::WriteIniValue(std::string_view key, std::string_view text) {
    if (cycleIni_ != nullptr) {
        IniWriteValue(*cycleIni_, IniSection(), key, text);
        return;
    }
    TIniFile ini(IniFileName());
    IniWriteValue(ini, IniSection(), key, text);
    ini.UpdateFile();
}

TPlacementContext TFormPlacement::Context() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    return {{screen->size().width(), screen->size().height()}, qRound(screen->logicalDotsPerInch())};
}

void TFormPlacement::WritePlacement(TCustomIniFile& ini) {
    if ((options_ & (fpState | fpPosition)) == 0) return;
    const QWidget& form = *form_;
    TWindowPlacement placement;
    if (form.isMinimized()) {
        placement.ShowCmd = static_cast<int>(TShowCmd::Minimized);
    } else if (form.isMaximized()) {
        placement.ShowCmd = static_cast<int>(TShowCmd::Maximized);
    }
    // A maximized window's frame lies just outside the screen: its position is the negated border.
    const QRect frame = form.frameGeometry();
    const QRect client = form.geometry();
    placement.MaxX = frame.left() - client.left();
    placement.MaxY = client.bottom() - frame.bottom();
    const QRect normal = form.normalGeometry().isValid() ? form.normalGeometry() : client;
    placement.Left = normal.left();
    placement.Top = normal.top();
    placement.Right = normal.left() + normal.width();
    placement.Bottom = normal.top() + normal.height();
    WritePlacementKeys(ini, IniSection(), placement, Context(), destroying_);
}

void TFormPlacement::ReadPlacement(const TCustomIniFile& ini) {
    if (options_ & fpPosition) ReadPosition(ini);
    if (options_ & fpState) ReadState(ini);
    form_->update();
}

void TFormPlacement::ReadPosition(const TCustomIniFile& ini) {
    QWidget& form = *form_;
    const QRect normal = form.normalGeometry().isValid() ? form.normalGeometry() : form.geometry();
    TWindowPlacement current;
    current.Left = normal.left();
    current.Top = normal.top();
    current.Right = normal.left() + normal.width();
    current.Bottom = normal.top() + normal.height();
    const auto stored = ReadPlacementPosition(ini, IniSection(), current, Context());
    if (!stored || stored->Right <= stored->Left) return;
    // A window of fixed size gets back its position only.
    if (form.minimumSize() == form.maximumSize()) {
        form.move(stored->Left, stored->Top);
    } else {
        form.setGeometry(stored->Left, stored->Top, stored->Right - stored->Left,
                         stored->Bottom - stored->Top);
    }
}

void TFormPlacement::ReadState(const TCustomIniFile& ini) {
    QWidget& form = *form_;
    switch (ReadPlacementState(ini, IniSection(), TShowCmd::Normal)) {
    case TShowCmd::Minimized:
        // The window is being shown right now: it minimizes once the event loop runs.
        QMetaObject::invokeMethod(&form, &QWidget::showMinimized, Qt::QueuedConnection);
        break;
    case TShowCmd::Maximized:
        form.setWindowState((form.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    default:
        form.setWindowState(form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        break;
    }
}

}  // namespace quillory
