// Setup pages whose rules live in a portable page model (setup/page_models.h): the page binds
// each control of itself and of its sub-pages to a member of the model's view, and does
// nothing but move the view in and out of the controls. Any change of a control stores the
// whole view (an unchanged control writes no byte) and shows the result again, normalised.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "setup/page_models.h"
#include "shell/setup_page_win.h"

namespace zv::shell {

// A view member as its control exchanges it: a drop-down's item index, a check box, an edit's
// text, a hexadecimal input's bytes, a bit-pattern field, eight pattern cells.
using FieldRef = std::variant<int*, bool*, std::string*, std::vector<uint8_t>*, BitPattern*, std::array<uint8_t, 32>*>;

// What the page models need of the editor: the board, the model and the condition entry of
// the tree item in view.
inline PageContext pageContextOf(const SetupEditorContext& c) {
    PageContext p;
    p.boardType = c.boardType;
    p.remoteModel = c.remoteModel;
    p.entry = conditionEntryForTreeItem(static_cast<int>(c.currentKey));
    return p;
}

// The control-level half that every model page shares.
namespace controls {
void write(HWND control, const FieldRef& field);
void read(HWND control, const FieldRef& field);
void fillWithStrings(const SetupEditorContext& context, HWND combo, int firstString, int count);
void configureBits(HWND field, int bits);
// Leaving FIELD goes on to NEXT (bit-pattern fields and hexadecimal pairs).
void chain(HWND field, int next);
}  // namespace controls

// A sub-page of a model page: it tells its page of every change of its controls.
class ModelSubPage final : public SetupPage {
public:
    ModelSubPage(SetupEditorContext& context, std::function<void(int)> changed)
        : SetupPage(context), changed_(std::move(changed)) {}

protected:
    void selectionChanged(int id) override { changed_(id); }
    void fieldLeft(int id) override { changed_(id); }
    void clicked(int id) override { changed_(id); }
    bool onInit() override { return false; }

private:
    std::function<void(int)> changed_;
};

template <typename View>
class ModelPage : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        if (!window()) return;
        storeView(read());
    }
    void refresh() override {
        if (!window()) return;
        show(showView(), nullptr);
    }

protected:
    // A control and its member: WINDOW 0 is the page itself, k its k-th sub-page.
    struct Binding {
        int window;
        int id;
        FieldRef (*field)(View&);
    };
    struct SubPage {
        int templateId;
        int place;
    };

    virtual View showView() const = 0;
    virtual void storeView(const View& view) = 0;
    virtual std::vector<Binding> bindings() const = 0;
    virtual std::vector<SubPage> subPages() const { return {}; }
    virtual bool subPageShown(size_t, const View&) const { return true; }
    // Lists of the drop-downs, kinds of the hexadecimal inputs and bit-pattern fields.
    virtual void prepare() {}
    // What the view does not bind: read-only texts, controls shown by the view.
    virtual void shown(const View&) {}

    // The page (0) or its sub-page K's window.
    HWND host(int k) const {
        if (k == 0) return window();
        const size_t index = static_cast<size_t>(k - 1);
        return index < subs_.size() && subs_[index] ? subs_[index]->window() : nullptr;
    }
    HWND control(int k, int id) const { return GetDlgItem(host(k), id); }

    bool onInit() override {
        const std::vector<SubPage> subs = subPages();
        for (const SubPage& s : subs) {
            auto sub = std::make_unique<ModelSubPage>(context_, [this](int) { changed(); });
            if (s.templateId == 0 || !sub->create(s.templateId, window(), s.place)) sub.reset();
            subs_.push_back(std::move(sub));
        }
        bindings_ = bindings();
        prepare();
        refresh();
        return false;
    }
    void selectionChanged(int) override { changed(); }
    void fieldLeft(int) override { changed(); }
    void clicked(int) override { changed(); }

    // A control changed: store what the page shows, then show the stored setup again. The
    // control with the focus keeps its text (the user is in it).
    void changed() {
        storeView(read());
        show(showView(), GetFocus());
    }

private:
    View read() const {
        View view = showView();  // members without a control keep what is shown
        for (const Binding& b : bindings_)
            if (HWND c = control(b.window, b.id)) controls::read(c, b.field(view));
        return view;
    }
    void show(View view, HWND keep) {
        for (const Binding& b : bindings_) {
            HWND c = control(b.window, b.id);
            if (c && c != keep) controls::write(c, b.field(view));
        }
        for (size_t i = 0; i < subs_.size(); ++i)
            if (subs_[i]) subs_[i]->show(subPageShown(i, view));
        shown(view);
    }

    std::vector<std::unique_ptr<ModelSubPage>> subs_;
    std::vector<Binding> bindings_;
};

}  // namespace zv::shell
