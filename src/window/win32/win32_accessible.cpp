#include "win32_form.h"

#include <oleacc.h>

#include <climits>
#include <optional>
#include <string>

#include <commctrl.h>

#include "language/homepage.h"
#include "system_library.h"
#include "win32_form_detail.h"
#include "window/screen_reader.h"

// The window as screen readers see it (MSAA): the main window's client object,
// whose children are the controls a reader meets, each of them also what its
// own window answers, so that a reader reaches one and the same object from the
// window, from a focus event or from a point.
namespace aspect::window {

using namespace win32_detail;  // the source files' shared constants and helpers

namespace {

// OLE is loaded only when a screen reader first asks: most start-ups meet none,
// and its libraries would cost every one of them before the first paint.
struct Ole {
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&CreateStdAccessibleObject) createStdObject = nullptr;
    decltype(&SysAllocStringLen) allocString = nullptr;
    bool ready = false;
};

const Ole& LoadOle() {
    static const Ole ole = [] {
        Ole o;
        const auto init = SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
        o.lresultFromObject =
            SystemFunction<decltype(&LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
        o.createStdObject = SystemFunction<decltype(&CreateStdAccessibleObject)>(
            L"oleacc.dll", "CreateStdAccessibleObject");
        o.allocString =
            SystemFunction<decltype(&SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
        // Objects handed out are marshalled from this, the window's thread.
        o.ready = init != nullptr && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED)) &&
                  o.lresultFromObject && o.createStdObject && o.allocString;
        return o;
    }();
    return ole;
}

// What the objects share: the window, until it is gone. Clients in other
// processes may hold objects longer; those then report themselves disconnected.
struct Tie {
    Win32Form* form;
    LONG refs = 1;
    void AddRef() { InterlockedIncrement(&refs); }
    void Release() {
        if (InterlockedDecrement(&refs) == 0) delete this;
    }
};

std::optional<ReaderControl> ReaderEntry(Control c) {
    for (const ReaderControl& r : ReaderControls()) {
        if (r.control == c) return r;
    }
    return std::nullopt;
}

// A control's child number in the main window's object; CHILDID_SELF for the window.
std::optional<LONG> ChildId(Control c) {
    if (c == Control::frmMain) return CHILDID_SELF;
    const auto all = ReaderControls();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].control == c) return static_cast<LONG>(i + 1);
    }
    return std::nullopt;
}

LONG MsaaRole(Control c) {
    const auto entry = ReaderEntry(c);
    if (!entry) return ROLE_SYSTEM_CLIENT;
    switch (entry->role) {
        case ReaderRole::EditableText:
            return ROLE_SYSTEM_TEXT;
        case ReaderRole::CheckBox:
            return ROLE_SYSTEM_CHECKBUTTON;
        case ReaderRole::Button:
            return ROLE_SYSTEM_PUSHBUTTON;
        case ReaderRole::Link:
            return ROLE_SYSTEM_LINK;
        case ReaderRole::StaticText:
            break;
    }
    return ROLE_SYSTEM_STATICTEXT;
}

VARIANT Empty() {
    VARIANT v;
    v.vt = VT_EMPTY;
    return v;
}

}  // namespace

// The window's state as screen readers are told it.
struct ScreenReaderView {
    static HWND Window(const Win32Form& f, Control c) { return f.Child(c); }

    // A control is called what the behaviour named it, or else by its caption.
    static std::wstring Name(const Win32Form& f, Control c) {
        const Win32Form::State& s = f.At(c);
        return s.accessibleName.empty() ? s.caption : s.accessibleName;
    }

    // What a field holds, what a named label shows, where the link leads.
    static std::optional<std::wstring> Value(const Win32Form& f, Control c) {
        const auto entry = ReaderEntry(c);
        if (!entry) return std::nullopt;
        const Win32Form::State& s = f.At(c);
        switch (entry->role) {
            case ReaderRole::EditableText: {
                std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(s.hwnd)) + 1,
                                  L'\0');
                text.resize(static_cast<std::size_t>(
                    GetWindowTextW(s.hwnd, text.data(), static_cast<int>(text.size()))));
                return text;
            }
            case ReaderRole::StaticText:
                if (s.accessibleName.empty()) return std::nullopt;
                return s.caption;
            case ReaderRole::Link:
                return std::wstring(language::kHomepageAddress.begin(),
                                    language::kHomepageAddress.end());
            default:
                return std::nullopt;
        }
    }

    static LONG State(const Win32Form& f, Control c) {
        const HWND h = Window(f, c);
        LONG state = 0;
        if (!IsWindowVisible(h)) state |= STATE_SYSTEM_INVISIBLE;
        const auto entry = ReaderEntry(c);
        const ReaderRole role = entry ? entry->role : ReaderRole::StaticText;
        if (!entry || role == ReaderRole::EditableText || role == ReaderRole::CheckBox) {
            state |= STATE_SYSTEM_FOCUSABLE;
            if (GetFocus() == h) state |= STATE_SYSTEM_FOCUSED;
        }
        if (role == ReaderRole::CheckBox && f.Value(c) != 0) state |= STATE_SYSTEM_CHECKED;
        if (role == ReaderRole::StaticText && entry) state |= STATE_SYSTEM_READONLY;
        if (role == ReaderRole::Link) {
            state |= STATE_SYSTEM_LINKED;
            if (f.addressOpened_) state |= STATE_SYSTEM_TRAVERSED;
        }
        return state;
    }

    // Where a control lies on the screen, in the screen's pixels.
    static RECT Location(const Win32Form& f, Control c) {
        RECT r{};
        if (c == Control::frmMain) {
            GetClientRect(f.hwnd_, &r);
            MapWindowPoints(f.hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        } else {
            GetWindowRect(Window(f, c), &r);
        }
        return r;
    }

    static const wchar_t* DefaultAction(const Win32Form& f, Control c) {
        const auto entry = ReaderEntry(c);
        if (!entry) return nullptr;
        switch (entry->role) {
            case ReaderRole::Button:
                return L"Press";
            case ReaderRole::Link:
                return L"Jump";
            case ReaderRole::CheckBox:
                return f.Value(c) != 0 ? L"Uncheck" : L"Check";
            default:
                return nullptr;
        }
    }

    // What a click does: the behaviour's own click, or the check box's click itself.
    static bool DoDefaultAction(Win32Form& f, Control c) {
        const auto entry = ReaderEntry(c);
        if (entry && entry->role == ReaderRole::CheckBox) {
            SendMessageW(Window(f, c), BM_CLICK, 0, 0);
            return true;
        }
        return f.events_ != nullptr && Press(*f.events_, c);
    }
};

namespace {

using View = ScreenReaderView;

// One control's object (or the main window's client object, frmMain).
class Accessible final : public IAccessible {
  public:
    Accessible(Tie& tie, Control self) : tie_(tie), self_(self) { tie_.AddRef(); }
    ~Accessible() { tie_.Release(); }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: readers call the interface itself, never by name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) return E_POINTER;
        *parent = nullptr;
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        if (self_ != Control::frmMain) {
            *parent = new Accessible(tie_, Control::frmMain);
            return S_OK;
        }
        // Above the client area: the system's object for the frame.
        return LoadOle().createStdObject(tie_.form->Handle(), OBJID_WINDOW, __uuidof(IDispatch),
                                         reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count == nullptr) return E_POINTER;
        *count = self_ == Control::frmMain ? static_cast<LONG>(ReaderControls().size()) : 0;
        return tie_.form ? S_OK : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto c = Target(child);
        if (!c) return E_INVALIDARG;
        if (*c == self_) return S_FALSE;  // no object other than this one
        *out = new Accessible(tie_, *c);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [](const Win32Form& f, Control c) -> std::optional<std::wstring> {
            return View::Name(f, c);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, &View::Value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override {
        return Nothing(out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, [](const Win32Form&, Control c) { return MsaaRole(c); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state, &View::State);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return Nothing(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (topic != nullptr) *topic = 0;
        return Nothing(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
        return Nothing(out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        *out = Empty();
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const HWND focus = GetFocus();
        if (focus == View::Window(*tie_.form, self_)) return Self(out);
        if (self_ != Control::frmMain) return S_FALSE;
        for (const ReaderControl& r : ReaderControls()) {
            if (View::Window(*tie_.form, r.control) == focus) return Object(r.control, out);
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        *out = Empty();
        return tie_.form ? S_FALSE : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Text(child, out, [](const Win32Form& f, Control c) -> std::optional<std::wstring> {
            const wchar_t* action = View::DefaultAction(f, c);
            if (action == nullptr) return std::nullopt;
            return action;
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto c = Target(child);
        if (!c) return E_INVALIDARG;
        if (flags != SELFLAG_TAKEFOCUS ||
            (View::State(*tie_.form, *c) & STATE_SYSTEM_FOCUSABLE) == 0) {
            return DISP_E_MEMBERNOTFOUND;
        }
        SetFocus(View::Window(*tie_.form, *c));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
            return E_POINTER;
        }
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto c = Target(child);
        if (!c) return E_INVALIDARG;
        const RECT r = View::Location(*tie_.form, *c);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        *out = Empty();
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto from = Target(start);
        if (!from) return E_INVALIDARG;
        const auto found = Navigate(direction, *from);
        return found ? Object(*found, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        *out = Empty();
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const POINT p{x, y};
        const RECT own = View::Location(*tie_.form, self_);
        if (!PtInRect(&own, p)) return S_FALSE;
        if (self_ == Control::frmMain) {
            // The reading order puts what lies in front first.
            for (const ReaderControl& r : ReaderControls()) {
                const RECT area = View::Location(*tie_.form, r.control);
                if (Shown(r.control) && PtInRect(&area, p)) return Object(r.control, out);
            }
        }
        return Self(out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto c = Target(child);
        if (!c) return E_INVALIDARG;
        return View::DoDefaultAction(*tie_.form, *c) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    // The control a child number names: this object's own for CHILDID_SELF, one of
    // the window's children by number.
    std::optional<Control> Target(const VARIANT& child) const {
        if (child.vt != VT_I4) return std::nullopt;
        if (child.lVal == CHILDID_SELF) return self_;
        const auto all = ReaderControls();
        if (self_ != Control::frmMain || child.lVal < 1 ||
            static_cast<std::size_t>(child.lVal) > all.size()) {
            return std::nullopt;
        }
        return all[static_cast<std::size_t>(child.lVal - 1)].control;
    }

    bool Shown(Control c) const {
        return (View::State(*tie_.form, c) & STATE_SYSTEM_INVISIBLE) == 0;
    }

    // The shown control `direction` leads to from `from`: in reading order for
    // next and previous, the nearest one wholly on that side for the four sides.
    std::optional<Control> Navigate(LONG direction, Control from) const {
        const auto all = ReaderControls();
        const auto at = ChildId(from);
        const bool window = from == Control::frmMain;
        if (window && direction == NAVDIR_FIRSTCHILD) return Step(0, 1);
        if (window && direction == NAVDIR_LASTCHILD) return Step(all.size() - 1, -1);
        if (window || !at) return std::nullopt;
        const std::size_t i = static_cast<std::size_t>(*at - 1);
        if (direction == NAVDIR_NEXT) return i + 1 < all.size() ? Step(i + 1, 1) : std::nullopt;
        if (direction == NAVDIR_PREVIOUS) return i > 0 ? Step(i - 1, -1) : std::nullopt;
        const RECT a = View::Location(*tie_.form, from);
        std::optional<Control> best;
        long long bestDistance = LLONG_MAX;
        for (const ReaderControl& r : all) {
            if (r.control == from || !Shown(r.control)) continue;
            const RECT b = View::Location(*tie_.form, r.control);
            const bool beyond = (direction == NAVDIR_RIGHT && b.left >= a.right) ||
                                (direction == NAVDIR_LEFT && b.right <= a.left) ||
                                (direction == NAVDIR_DOWN && b.top >= a.bottom) ||
                                (direction == NAVDIR_UP && b.bottom <= a.top);
            if (!beyond) continue;
            const long long dx = (b.left + b.right) - (a.left + a.right);
            const long long dy = (b.top + b.bottom) - (a.top + a.bottom);
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = r.control;
            }
        }
        return best;
    }

    // The first shown control from position `i` on, stepping by `step`.
    std::optional<Control> Step(std::size_t i, int step) const {
        const auto all = ReaderControls();
        for (; i < all.size(); i += static_cast<std::size_t>(step)) {
            if (Shown(all[i].control)) return all[i].control;
        }
        return std::nullopt;
    }

    HRESULT Self(VARIANT* out) const {
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return S_OK;
    }

    // A child as its own object; this object as CHILDID_SELF.
    HRESULT Object(Control c, VARIANT* out) {
        if (c == self_) return Self(out);
        out->vt = VT_DISPATCH;
        out->pdispVal = new Accessible(tie_, c);
        return S_OK;
    }

    template <class Read>
    HRESULT Text(const VARIANT& child, BSTR* out, Read read) const {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto c = Target(child);
        if (!c) return E_INVALIDARG;
        const std::optional<std::wstring> text = read(*tie_.form, *c);
        if (!text) return DISP_E_MEMBERNOTFOUND;
        *out = LoadOle().allocString(text->data(), static_cast<UINT>(text->size()));
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    template <class Read>
    HRESULT Number(const VARIANT& child, VARIANT* out, Read read) const {
        if (out == nullptr) return E_POINTER;
        *out = Empty();
        if (tie_.form == nullptr) return RPC_E_DISCONNECTED;
        const auto c = Target(child);
        if (!c) return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = read(*tie_.form, *c);
        return S_OK;
    }

    HRESULT Nothing(BSTR* out) const {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        return tie_.form ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
    }

    Tie& tie_;
    const Control self_;
    LONG refs_ = 1;
};

// Each window that stands for a reader's object answers for it; the subclass
// number is the control it stands for.
LRESULT CALLBACK Answer(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
    auto* tie = reinterpret_cast<Tie*>(data);
    const auto self = static_cast<Control>(id);
    if (msg == WM_GETOBJECT && static_cast<DWORD>(lp) == static_cast<DWORD>(OBJID_CLIENT) &&
        tie->form != nullptr && LoadOle().ready) {
        auto* object = new Accessible(*tie, self);
        const LRESULT result = LoadOle().lresultFromObject(__uuidof(IAccessible), wp, object);
        object->Release();
        if (result > 0) return result;
    }
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Answer, id);
        tie->form = nullptr;
        tie->Release();
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void Win32Form::ServeScreenReaders(bool spots) {
    // Each window its own tie, cut when the window goes: the form goes with them all.
    const auto serve = [this](HWND h, Control c) {
        SetWindowSubclass(h, &Answer, Index(c), reinterpret_cast<DWORD_PTR>(new Tie{this}));
    };
    if (!spots) serve(hwnd_, Control::frmMain);
    for (const ReaderControl& r : ReaderControls()) {
        if (IsSpot(DesignOf(r.control).kind) == spots) serve(Child(r.control), r.control);
    }
}

void Win32Form::Announce(Control control) {
    const auto child = ChildId(control);
    if (!child || hwnd_ == nullptr) return;
    State& s = At(control);
    const std::wstring name = ScreenReaderView::Name(*this, control);
    const std::wstring value = ScreenReaderView::Value(*this, control).value_or(L"");
    if (name != s.heardName) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_CLIENT, *child);
    if (value != s.heardValue) {
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd_, OBJID_CLIENT, *child);
    }
    s.heardName = name;
    s.heardValue = value;
}

}  // namespace aspect::window
