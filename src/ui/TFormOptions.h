#pragma once
// TFormOptions, "Options": four tabs of switches and numbers over the
// settings, and the log-on entry. The window shows an OptionValues and hands
// its controls' values to the apply routine it is given; "OK" closes only
// when applying succeeded.

#include "core/Options.h"

#include "ui/FixedDialog.h"

#include <QStringList>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace quillon::ui {

class TFormOptions final : public FixedDialog {
    Q_OBJECT

public:
    // Applies the values; false when they could not be stored (the routine
    // has told the person why).
    using ApplyOptions = std::function<bool(const core::OptionValues&)>;

    // firefoxProfiles and chromiumProfiles: the profiles found, as the person
    // names them ("Firefox (default-esr)"), shown under their capture boxes.
    TFormOptions(const core::OptionValues& values, const QStringList& firefoxProfiles,
                 const QStringList& chromiumProfiles, ApplyOptions apply, QWidget* parent = nullptr);

    // The values the controls hold now (number fields as typed).
    core::OptionValues values() const;

    void ButtonOKClick();
    void ButtonApplyClick();

    // A number field's text read as its number: blanks ignored at the end, a
    // blank between digits or an empty field 0, and below 1 raised to 1.
    static int numberFieldValue(const QLineEdit& field);
    // The text shown, with each blank position a space.
    static std::string fieldText(const QLineEdit& field);

private:
    QWidget* makePage(const char* name, const char* heading, const QIcon& picture, QWidget*& body);
    QCheckBox* addCheck(QWidget* parent, const char* name, const char* caption);
    QLineEdit* addNumber(QWidget* parent, const char* name, QCheckBox* enabler);

    core::OptionValues m_values;
    ApplyOptions m_apply;
    QTabWidget* m_pages = nullptr;
    QCheckBox* m_autoStart = nullptr;
    QCheckBox* m_startSplash = nullptr;
    QCheckBox* m_startTNA = nullptr;
    QCheckBox* m_workTNA = nullptr;
    QCheckBox* m_saveWindow = nullptr;
    QCheckBox* m_captureIExplore = nullptr;
    QCheckBox* m_captureNetscape = nullptr;
    QCheckBox* m_captureFirefox = nullptr;
    QCheckBox* m_captureChromium = nullptr;
    QRadioButton* m_verifyCaptured = nullptr;
    QRadioButton* m_waitCaptured = nullptr;
    QCheckBox* m_autoSave = nullptr;
    QLineEdit* m_autoSaveCount = nullptr;
    QCheckBox* m_autoVerifyHosts = nullptr;
    QLineEdit* m_autoVerifyHostsDays = nullptr;
    QCheckBox* m_autoVerifyHostsQQD = nullptr;
    QLineEdit* m_autoVerifyHostsQQDDays = nullptr;
    QCheckBox* m_checkOnLine = nullptr;
    QLineEdit* m_refreshAfterHours = nullptr;
};

} // namespace quillon::ui
