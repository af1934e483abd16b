// Look-and-feel settings shared by the editor controls.
//
// A LookAndFeel holds a style kind and a native-style switch. Each value is
// either set on the object itself (its bit is in AssignedValues) or inherited:
// from Master when one is set, otherwise from the process-wide default object.
// Changes travel to listeners (controls, styles, child look-and-feel objects)
// in registration order; a compound change takes a snapshot first and reports
// only the values that really changed.
#pragma once

#include "runtime/observer_list.h"

#include <functional>
#include <memory>
#include <vector>

namespace census {

class LookAndFeelPainter;
class SystemPaletteChangedNotifier;

enum LookAndFeelKind { lfFlat = 0, lfStandard = 1, lfUltraFlat = 2 };

// lfvSystemColors is never assigned: a change of the system's colours reaches
// every object down each chain, whatever values the object sets itself.
enum LookAndFeelValue : unsigned { lfvKind = 1u << 0, lfvNativeStyle = 1u << 1, lfvSystemColors = 1u << 2 };
using LookAndFeelValues = unsigned;  // set of LookAndFeelValue bits

class LookAndFeel;

class LookAndFeelListener {
public:
    virtual void LookAndFeelChanged(LookAndFeel& sender, LookAndFeelValues changed) = 0;
    virtual void LookAndFeelDestroying(LookAndFeel& sender) = 0;
    // Controllers are the only listeners the default object counts.
    virtual bool IsLookAndFeelController() const { return false; }

protected:
    ~LookAndFeelListener() = default;
};

class LookAndFeel : public LookAndFeelListener {
public:
    LookAndFeel();
    LookAndFeel(const LookAndFeel&) = delete;
    LookAndFeel& operator=(const LookAndFeel&) = delete;
    virtual ~LookAndFeel();

    // Effective (resolved) values.
    LookAndFeelKind Kind() const { return kind_; }
    bool NativeStyle() const { return native_style_; }
    void SetKind(LookAndFeelKind kind);
    void SetNativeStyle(bool native);

    LookAndFeelValues AssignedValues() const { return assigned_; }
    void SetAssignedValues(LookAndFeelValues values);

    LookAndFeel* Master() const { return master_; }
    void SetMaster(LookAndFeel* master);

    // Copies the own values and the effective master of source.
    void Assign(const LookAndFeel& source);

    void AddListener(LookAndFeelListener* listener);
    void RemoveListener(LookAndFeelListener* listener);
    size_t ListenerCount() const { return listeners_.Size(); }

    const LookAndFeelPainter& Painter() const;

    std::function<void(LookAndFeel& sender, LookAndFeelValues changed)> OnChanged;

    void LookAndFeelChanged(LookAndFeel& sender, LookAndFeelValues changed) override;
    void LookAndFeelDestroying(LookAndFeel& sender) override;

protected:
    void Changed(LookAndFeelValues values);

private:
    friend LookAndFeel* DefaultLookAndFeel();
    struct DefaultTag {};
    explicit LookAndFeel(DefaultTag);

    LookAndFeel* EffectiveMaster() const;
    void HearSystemColors();
    void Resolve();
    void TakeSnapshot();
    void CheckChanges();
    bool IsListening(const LookAndFeelListener* listener) const;

    LookAndFeelKind own_kind_ = lfUltraFlat;
    bool own_native_style_ = false;
    LookAndFeelValues assigned_ = 0;
    LookAndFeelKind kind_ = lfUltraFlat;
    bool native_style_ = false;
    LookAndFeelKind saved_kind_ = lfUltraFlat;
    bool saved_native_style_ = false;
    LookAndFeel* master_ = nullptr;
    ObserverList<LookAndFeelListener*> listeners_;
    bool destroying_ = false;
    bool is_default_ = false;
    // Only an object at the top of its chain hears the system's colour
    // change itself; the others hear it once, from their master.
    std::unique_ptr<SystemPaletteChangedNotifier> colors_notifier_;
};

// The one process-wide default object (lfUltraFlat, no native style unless a
// controller says otherwise). Made on first use; null after shutdown began.
LookAndFeel* DefaultLookAndFeel();

// Number of controllers registered with the default object.
int LookAndFeelControllerCount();

// A front for the default object: reading gives its effective values, writing
// sets them on it. When the last controller goes, the default object forgets
// what controllers set.
class LookAndFeelController : public LookAndFeelListener {
public:
    LookAndFeelController();
    LookAndFeelController(const LookAndFeelController&) = delete;
    LookAndFeelController& operator=(const LookAndFeelController&) = delete;
    virtual ~LookAndFeelController();

    LookAndFeelKind Kind() const;
    void SetKind(LookAndFeelKind kind);
    bool NativeStyle() const;
    void SetNativeStyle(bool native);

    void LookAndFeelChanged(LookAndFeel&, LookAndFeelValues) override {}
    void LookAndFeelDestroying(LookAndFeel&) override {}
    bool IsLookAndFeelController() const override { return true; }
};

}  // namespace census
