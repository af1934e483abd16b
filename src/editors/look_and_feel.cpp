#include "editors/look_and_feel.h"

#include "editors/painters.h"
#include "editors/system_colors.h"
#include "editors/theme_service.h"

#include <algorithm>

namespace census {

namespace {

LookAndFeel* g_default = nullptr;
bool g_default_gone = false;
int g_controller_count = 0;

// Owns the default object for the life of the process; the global reference
// is cleared by the object's own destructor.
struct DefaultHolder {
    std::unique_ptr<LookAndFeel> object;
    ~DefaultHolder() {
        object.reset();
        g_default_gone = true;
    }
};

}  // namespace

LookAndFeel* DefaultLookAndFeel() {
    static DefaultHolder holder;
    if (!holder.object && !g_default_gone) {
        holder.object.reset(new LookAndFeel(LookAndFeel::DefaultTag{}));
        g_default = holder.object.get();
    }
    return g_default;
}

int LookAndFeelControllerCount() { return g_controller_count; }

LookAndFeel::LookAndFeel(DefaultTag) : is_default_(true) { HearSystemColors(); }

LookAndFeel::LookAndFeel() {
    if (LookAndFeel* def = DefaultLookAndFeel()) {
        def->AddListener(this);
        Resolve();
    } else {
        HearSystemColors();
    }
}

void LookAndFeel::HearSystemColors() {
    colors_notifier_ = std::make_unique<SystemPaletteChangedNotifier>(false);
    colors_notifier_->OnColorsChanged = [this] { Changed(lfvNativeStyle | lfvSystemColors); };
}

LookAndFeel::~LookAndFeel() {
    colors_notifier_.reset();
    destroying_ = true;
    // A listener may unregister (ignored now) or even destroy others while being told.
    listeners_.ForEach([this](LookAndFeelListener* listener) { listener->LookAndFeelDestroying(*this); });
    destroying_ = false;
    listeners_.Clear();
    if (LookAndFeel* master = EffectiveMaster()) master->RemoveListener(this);
    if (is_default_) g_default = nullptr;
}

LookAndFeel* LookAndFeel::EffectiveMaster() const {
    if (is_default_) return nullptr;
    return master_ ? master_ : g_default;
}

void LookAndFeel::Resolve() {
    if (assigned_ & lfvKind) {
        kind_ = own_kind_;
    } else if (is_default_) {
        kind_ = lfUltraFlat;
    } else {
        LookAndFeel* master = EffectiveMaster();
        kind_ = master ? master->Kind() : lfUltraFlat;
    }
    if (assigned_ & lfvNativeStyle) {
        native_style_ = own_native_style_;
    } else if (is_default_) {
        native_style_ = false;
    } else {
        LookAndFeel* master = EffectiveMaster();
        native_style_ = master ? master->NativeStyle() : false;
    }
}

void LookAndFeel::TakeSnapshot() {
    saved_kind_ = kind_;
    saved_native_style_ = native_style_;
}

void LookAndFeel::CheckChanges() {
    Resolve();
    LookAndFeelValues changed = 0;
    if (kind_ != saved_kind_) changed |= lfvKind;
    if (native_style_ != saved_native_style_) changed |= lfvNativeStyle;
    Changed(changed);
}

void LookAndFeel::Changed(LookAndFeelValues values) {
    if (values == 0 || destroying_) return;
    Resolve();
    // Listeners may add or remove listeners (themselves included) while being told.
    listeners_.ForEach([&](LookAndFeelListener* listener) { listener->LookAndFeelChanged(*this, values); });
    if (OnChanged) OnChanged(*this, values);
}

bool LookAndFeel::IsListening(const LookAndFeelListener* listener) const {
    return listeners_.Contains(const_cast<LookAndFeelListener*>(listener));
}

void LookAndFeel::SetKind(LookAndFeelKind kind) {
    LookAndFeelKind old = kind_;
    assigned_ |= lfvKind;
    own_kind_ = kind;
    Resolve();
    if (kind_ != old) Changed(lfvKind);
}

void LookAndFeel::SetNativeStyle(bool native) {
    bool old = native_style_;
    assigned_ |= lfvNativeStyle;
    own_native_style_ = native;
    Resolve();
    if (native_style_ != old) Changed(lfvNativeStyle);
}

void LookAndFeel::SetAssignedValues(LookAndFeelValues values) {
    values &= lfvKind | lfvNativeStyle;
    if (values == assigned_) return;
    TakeSnapshot();
    assigned_ = values;
    CheckChanges();
}

void LookAndFeel::Assign(const LookAndFeel& source) {
    if (&source == this) return;
    TakeSnapshot();
    own_kind_ = source.own_kind_;
    own_native_style_ = source.own_native_style_;
    assigned_ = source.assigned_;
    LookAndFeel* target = source.is_default_ ? nullptr : source.master_;
    if (target == this) target = nullptr;
    if (!is_default_ && (target ? target : g_default) != EffectiveMaster()) {
        if (LookAndFeel* old = EffectiveMaster()) old->RemoveListener(this);
        master_ = target;
        if (LookAndFeel* now = EffectiveMaster()) now->AddListener(this);
    }
    CheckChanges();
}

void LookAndFeel::SetMaster(LookAndFeel* master) {
    if (is_default_ || master == this || master == EffectiveMaster()) return;
    TakeSnapshot();
    if (LookAndFeel* old = EffectiveMaster()) old->RemoveListener(this);
    master_ = master;
    if (LookAndFeel* now = EffectiveMaster()) now->AddListener(this);
    CheckChanges();
}

void LookAndFeel::AddListener(LookAndFeelListener* listener) {
    if (!listener) return;
    bool controller = listener->IsLookAndFeelController();
    if (controller && !is_default_) return;
    if (IsListening(listener)) return;
    listeners_.Add(listener);
    if (controller) ++g_controller_count;
}

void LookAndFeel::RemoveListener(LookAndFeelListener* listener) {
    if (!IsListening(listener)) return;
    if (!destroying_) listeners_.RemoveFirst(listener);
    if (is_default_ && listener->IsLookAndFeelController()) {
        if (--g_controller_count == 0) SetAssignedValues(0);
    }
}

void LookAndFeel::LookAndFeelChanged(LookAndFeel& sender, LookAndFeelValues changed) {
    // Values set here are not disturbed by the master's; the system's colours
    // are everybody's.
    Changed((changed & lfvSystemColors) ? changed : changed & ~assigned_);
}

void LookAndFeel::LookAndFeelDestroying(LookAndFeel& sender) {
    // The master is going: fall back to the default object so that this one
    // never reads a dead master.
    if (&sender == master_) {
        TakeSnapshot();
        master_ = nullptr;
        if (LookAndFeel* now = EffectiveMaster(); now && now != &sender) now->AddListener(this);
        CheckChanges();
    }
}

const LookAndFeelPainter& LookAndFeel::Painter() const {
    if (native_style_ && NativeThemingAvailable()) return WinXPPainter();
    switch (kind_) {
        case lfFlat: return FlatPainter();
        case lfStandard: return StandardPainter();
        default: return UltraFlatPainter();
    }
}

LookAndFeelController::LookAndFeelController() {
    if (LookAndFeel* def = DefaultLookAndFeel()) def->AddListener(this);
}

LookAndFeelController::~LookAndFeelController() {
    if (LookAndFeel* def = DefaultLookAndFeel()) def->RemoveListener(this);
}

LookAndFeelKind LookAndFeelController::Kind() const {
    LookAndFeel* def = DefaultLookAndFeel();
    return def ? def->Kind() : lfUltraFlat;
}

void LookAndFeelController::SetKind(LookAndFeelKind kind) {
    if (LookAndFeel* def = DefaultLookAndFeel()) def->SetKind(kind);
}

bool LookAndFeelController::NativeStyle() const {
    LookAndFeel* def = DefaultLookAndFeel();
    return def ? def->NativeStyle() : false;
}

void LookAndFeelController::SetNativeStyle(bool native) {
    if (LookAndFeel* def = DefaultLookAndFeel()) def->SetNativeStyle(native);
}

}  // namespace census
