// The five pages of the preferences dialog. Each page shows its part of the dialog's edit
// copies when it is created and gathers its controls back into them on OK; the rules behind
// the lists live in preferences_model.h.
#pragma once

#include <functional>

#include "shell/config_store.h"
#include "shell/dialog_win.h"
#include "shell/main_window_win.h"
#include "shell/preferences_model.h"

namespace zv::shell {

// A page passes OK and Cancel (Enter and Escape in its fields) on to the dialog.
class PreferencesPage : public Dialog {
public:
    PreferencesPage(const MainWindow& main, AppSettings& edit) : main_(main), edit_(edit) {}
    // Controls into the edit copies.
    virtual void gather() = 0;

protected:
    bool onCommand(int id, int code, HWND control) override;
    virtual bool onPageCommand(int, int) { return false; }
    std::string text(UINT id) const { return loadText(main_, id); }

    const MainWindow& main_;
    AppSettings& edit_;
};

class ConnectionPage final : public PreferencesPage {
public:
    using MethodChanged = std::function<void(uint32_t method)>;
    ConnectionPage(const MainWindow& main, AppSettings& edit, MethodChanged methodChanged)
        : PreferencesPage(main, edit), methodChanged_(std::move(methodChanged)) {}

    void gather() override;
    // The method as selected now, and whether the adapter's host is left empty.
    uint32_t method() const;
    bool hostMissing() const;
    // Shows the rows of the selected method.
    void showRows() const;

protected:
    bool onInit() override;
    bool onPageCommand(int id, int code) override;

private:
    void fillUsbList() const;

    MethodChanged methodChanged_;
};

class ModelPage final : public PreferencesPage {
public:
    using PreferencesPage::PreferencesPage;
    void gather() override;
    // The connection page chose another method.
    void methodChanged(uint32_t method);

protected:
    bool onInit() override;
    bool onPageCommand(int id, int code) override;

private:
    void show(const prefs::ModelChoice& choice);
    prefs::ModelChoice choice_;
    uint32_t method_ = 0;
};

class BufferPage final : public PreferencesPage {
public:
    using PreferencesPage::PreferencesPage;
    void gather() override;

protected:
    bool onInit() override;
    bool onPageCommand(int id, int code) override;
};

class ScreenshotPage final : public PreferencesPage {
public:
    using PreferencesPage::PreferencesPage;
    void gather() override;

protected:
    bool onInit() override;
    bool onPageCommand(int id, int code) override;
};

class SyncPage final : public PreferencesPage {
public:
    using PreferencesPage::PreferencesPage;
    void gather() override;

protected:
    bool onInit() override;
    bool onPageCommand(int id, int code) override;
};

}  // namespace zv::shell
