#include "rulers/RulerInfos.h"

#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"
#include "rulers/TriangleRuler.h"

#include <utility>

namespace {
constexpr std::uint8_t kDefaultTransparent = 178; // about 30 % see-through
} // namespace

// ---------------------------------------------------------------------------------------------
// Options

TOptionInfo::TOptionInfo() {
    SetDefaults();
}

const TClassInfo& TOptionInfo::StaticClassInfo() {
    static const TClassInfo info{"TOptionInfo",
                                 &TXmlPersistent::StaticClassInfo(),
                                 {Published("AutoCheckUpdate", &TOptionInfo::AutoCheckUpdate)},
                                 Factory<TOptionInfo>()};
    return info;
}

const TClassInfo& TOptionInfo::ClassInfo() const {
    return StaticClassInfo();
}

void TOptionInfo::SetDefaults() {
    AutoCheckUpdate = true;
}

// ---------------------------------------------------------------------------------------------
// Settings model

TAppInfo::TAppInfo() : FRulerObjectList(std::make_unique<TRulerObjectList>()) {
    CreateRulers();
    MouseSnap = false;
    Transparent = kDefaultTransparent;
    FOptionInfo = std::make_unique<TOptionInfo>();
}

TAppInfo::~TAppInfo() {
    FOptionInfo.reset();
    FRulerObjectList.reset();
}

const TClassInfo& TAppInfo::StaticClassInfo() {
    static const TClassInfo info{"TAppInfo",
                                 &TBaseAppInfo::StaticClassInfo(),
                                 {Published("MouseSnap", &TAppInfo::MouseSnap),
                                  Published("OptionInfo", &TAppInfo::FOptionInfo),
                                  Published("RulerObjectList", &TAppInfo::FRulerObjectList),
                                  Published("Transparent", &TAppInfo::Transparent)}};
    return info;
}

const TClassInfo& TAppInfo::ClassInfo() const {
    return StaticClassInfo();
}

void TAppInfo::CreateRulers() {
    FRulerObjectList->Clear();
    const TRulerClassList& classes = RulerClassList();
    for (int i = 0; i < classes.GetCount(); ++i) {
        std::unique_ptr<TPersistent> created = classes.GetItem(i).Create();
        if (dynamic_cast<TBaseRuler*>(created.get()) == nullptr)
            continue;
        FRulerObjectList->AddItem(
            std::unique_ptr<TXmlPersistent>(static_cast<TXmlPersistent*>(created.release())));
    }
}

void TAppInfo::AddMissingRulers() {
    const TRulerClassList& classes = RulerClassList();
    for (int i = 0; i < classes.GetCount(); ++i) {
        const TClassInfo& rulerClass = classes.GetItem(i);
        if (FRulerObjectList->IndexOfClassName(rulerClass.Name()) >= 0)
            continue;
        std::unique_ptr<TPersistent> created = rulerClass.Create();
        if (dynamic_cast<TBaseRuler*>(created.get()) == nullptr)
            continue;
        FRulerObjectList->AddItem(
            std::unique_ptr<TXmlPersistent>(static_cast<TXmlPersistent*>(created.release())));
    }
}

// Every kind exists after a load, whatever the file held or where its reading stopped;
// the error of a stopped read then goes on to the loader, which drops it.
void TAppInfo::ReadFromXmlNode(pugi::xml_node node) {
    try {
        TBaseAppInfo::ReadFromXmlNode(node);
    } catch (...) {
        AddMissingRulers();
        throw;
    }
    AddMissingRulers();
}

TBaseRuler* TAppInfo::GetCurrentRuler() {
    const int count = FRulerObjectList->GetCount();
    for (int i = 0; i < count; ++i)
        if (FRulerObjectList->GetItem(i)->Selected)
            return FRulerObjectList->GetItem(i);
    if (count == 0)
        return nullptr;
    TBaseRuler* first = FRulerObjectList->GetItem(0);
    first->Selected = true;
    return first;
}

void TAppInfo::SelectRulerClass(const TClassInfo& rulerClass) {
    for (int i = 0; i < FRulerObjectList->GetCount(); ++i) {
        TBaseRuler* ruler = FRulerObjectList->GetItem(i);
        ruler->Selected = &ruler->ClassInfo() == &rulerClass;
    }
}

// ---------------------------------------------------------------------------------------------
// The program's instrument kinds

void RegisterRulerClasses() {
    TRulerClassList& classes = RulerClassList();
    classes.Register(TRectangleRuler::StaticClassInfo());
    classes.Register(TTriangleRuler::StaticClassInfo());
    classes.Register(TProtractorRuler180::StaticClassInfo());
    classes.Register(TProtractorRuler360::StaticClassInfo());
}

// ---------------------------------------------------------------------------------------------
// The global instance

namespace {
// A plain pointer: static destruction, which also runs after exit() from deep inside the
// event loop, must never save the model (the property tables the save walks may be gone
// by then). Only FinalizeRulerInfos saves and frees it.
TAppInfo* TheAppInfo = nullptr;
} // namespace

TAppInfo& AppInfo() {
    if (!TheAppInfo)
        TheAppInfo = CreateAppInfo<TAppInfo>().release();
    return *TheAppInfo;
}

// Freeing the model saves it while it is still whole (see TBaseAppInfoDeleter).
void FinalizeRulerInfos() {
    if (TAppInfo* info = std::exchange(TheAppInfo, nullptr))
        TBaseAppInfoDeleter()(info);
}
