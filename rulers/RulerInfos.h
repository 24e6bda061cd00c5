#pragma once
// The program's settings: the instruments with their placement, cursor snapping, the
// main window's alpha value and the options, saved as one XML document beside the
// program (root element "TAppInfo"). Loaded when first used, saved when freed.

#include "foundation/CommonConsts.h"
#include "foundation/XmlPersistent.h"
#include "rulers/BaseRuler.h"

#include <cstdint>
#include <memory>

class TOptionInfo : public TXmlPersistent {
public:
    TOptionInfo();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override;

    void SetDefaults();

    bool AutoCheckUpdate = true; // look for a new version some minutes after start
};

class TAppInfo : public TBaseAppInfo {
public:
    // Defaults only: one instrument of each registered class, none selected, snapping
    // off, alpha 178, update check on. Loading the file is the creator's next step.
    TAppInfo();
    ~TAppInfo() override;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override;

    bool MouseSnap = false;         // pull the cursor onto the instrument's edge
    std::uint8_t Transparent = 178; // alpha of the main window, 255 = opaque

    TOptionInfo& OptionInfo() const { return *FOptionInfo; }
    TRulerObjectList& RulerObjectList() const { return *FRulerObjectList; }

    // Clears the list and adds one new instrument of each registered class, in
    // registration order.
    void CreateRulers();
    // Reads the saved state, then completes the list with one instrument of each
    // registered class it lacks, also when the read stops at a bad value.
    void ReadFromXmlNode(pugi::xml_node node) override;
    // The first selected instrument; without one, the first instrument becomes selected.
    // Null only for an empty list.
    TBaseRuler* GetCurrentRuler();
    // Selects exactly the instruments of that class (not of its subclasses).
    void SelectRulerClass(const TClassInfo& rulerClass);

private:
    void AddMissingRulers();

    std::unique_ptr<TOptionInfo> FOptionInfo;
    std::unique_ptr<TRulerObjectList> FRulerObjectList;
};

// Registers the program's four instrument kinds in their designed order: straight
// ruler, set square, half-circle protractor, full-circle protractor. The order makes
// the straight ruler the first instrument of a new list and the default current one.
// Run once at start-up, before the settings model is first used.
void RegisterRulerClasses();

// The settings model, created and loaded on first use. FinalizeRulerInfos saves it
// and frees it; the program's shut-down calls it before FinalizeBaseRuler.
TAppInfo& AppInfo();
void FinalizeRulerInfos();
