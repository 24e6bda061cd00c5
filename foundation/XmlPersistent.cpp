#include "foundation/XmlPersistent.h"

#include "foundation/SLSysUtils.h"
#include "foundation/SLXmlUtils.h"
#include "foundation/SafeFile.h"
#include "platform/system/TextRules.h"

#include <algorithm>
#include <sstream>

namespace {
constexpr const char* kAssignErrorFmt = "Cannot assign a %s to a %s";
constexpr const char* kListIndexErrorFmt = "List index out of bounds (%d)";
constexpr const char* kUnknownPropertyFmt = "Unknown property: '%s'";
constexpr const char* kReadOnlyPropertyFmt = "Property %s is read-only";
constexpr const char* kItemsElement = "Items";
} // namespace

bool PropertyNameLess(const std::string& a, const std::string& b) {
    return platform::CompareTextAscii(a, b) < 0;
}

// --- TClassInfo --------------------------------------------------------------------------------

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent,
                       std::vector<TPropInfo> ownProperties, TFactory factory)
    : FName(std::move(name)), FParent(parent), FOwnProperties(std::move(ownProperties)),
      FFactory(std::move(factory)) {
    if (FParent != nullptr) {
        for (const TPropInfo* inherited : FParent->PublishedProperties()) {
            const bool redeclared = std::any_of(
                FOwnProperties.begin(), FOwnProperties.end(), [&](const TPropInfo& own) {
                    return platform::SameTextAscii(own.Name, inherited->Name);
                });
            if (!redeclared)
                FAllProperties.push_back(inherited);
        }
    }
    for (const TPropInfo& own : FOwnProperties)
        FAllProperties.push_back(&own);
    std::stable_sort(
        FAllProperties.begin(), FAllProperties.end(),
        [](const TPropInfo* a, const TPropInfo* b) { return PropertyNameLess(a->Name, b->Name); });
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* info = this; info != nullptr; info = info->FParent)
        if (info == &other)
            return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
    for (const TPropInfo* info : FAllProperties)
        if (platform::SameTextAscii(info->Name, name))
            return info;
    return nullptr;
}

std::unique_ptr<TPersistent> TClassInfo::Create() const {
    return FFactory ? FFactory() : nullptr;
}

// --- TPersistent -------------------------------------------------------------------------------

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo info{"TPersistent", nullptr};
    return info;
}

void TPersistent::Assign(const TPersistent* source) {
    if (source == nullptr)
        AssignError(nullptr);
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    const std::string sourceName = source != nullptr ? source->ClassName() : "nil";
    throw EConvertError(FormatMessage(kAssignErrorFmt, sourceName.c_str(), ClassName().c_str()));
}

// --- TXmlPersistent ----------------------------------------------------------------------------

const TClassInfo& TXmlPersistent::StaticClassInfo() {
    static const TClassInfo info{"TXmlPersistent", &TPersistent::StaticClassInfo()};
    return info;
}

void TXmlPersistent::Assign(const TPersistent* source) {
    const TClassInfo& info = ClassInfo();
    if (source == nullptr || !source->InheritsFrom(info) || info.PublishedProperties().empty()) {
        TPersistent::Assign(source);
        return;
    }
    TUpdateGuard update(*this);
    for (const TPropInfo* prop : info.PublishedProperties()) {
        if (prop->Kind == TTypeKind::Class && !prop->IsWritable()) {
            // An owned sub-object: copy into it rather than replacing it.
            TPersistent* target = std::get<TPersistent*>(prop->Get(*this));
            TPersistent* from = std::get<TPersistent*>(prop->Get(*source));
            if (target != nullptr && from != nullptr)
                target->Assign(from);
        } else if (prop->IsWritable()) {
            prop->Set(*this, prop->Get(*source));
        }
    }
}

void TXmlPersistent::Changed() {
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

std::unique_ptr<TXmlPersistent> TXmlPersistent::Clone() const {
    return nullptr;
}

void TXmlPersistent::EndUpdate() {
    if (--FUpdateCount <= 0) {
        FUpdateCount = 0;
        Changed();
    }
}

void TXmlPersistent::LoadFromFile(const std::string& fileName) {
    const std::optional<std::string> bytes = ReadSavedFile(fileName, kMaxXmlFileBytes);
    if (!bytes)
        return;
    std::istringstream text(*bytes);
    LoadFromStream(text);
}

void TXmlPersistent::LoadFromStream(std::istream& stream) {
    pugi::xml_document document;
    if (!TSLXmlfn::Parse(stream, document))
        return; // well-formed, but nothing to read
    ReadFromXmlNode(document.document_element());
}

void TXmlPersistent::ReadFromXmlNode(pugi::xml_node element) {
    TUpdateGuard update(*this);
    TSLSysfn::ReadObjectFromXmlNode(this, element);
}

void TXmlPersistent::SaveToFile(const std::string& fileName) {
    std::ostringstream text;
    SaveToStream(text);
    CheckWithinReadLimit(fileName, text.str().size(), kMaxXmlFileBytes);
    TSLXmlfn::WriteFile(fileName, text.str());
}

void TXmlPersistent::SaveToStream(std::ostream& stream) {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(ClassName().c_str());
    WriteToXmlNode(root);
    TSLXmlfn::Print(document, stream);
}

void TXmlPersistent::WriteToXmlNode(pugi::xml_node element) {
    TSLXmlfn::RemoveChildElements(element);
    TSLSysfn::WriteObjectToXmlNode(this, element);
}

// --- TXmlObjectList ----------------------------------------------------------------------------

const TClassInfo& TXmlObjectList::StaticClassInfo() {
    static const TClassInfo info{"TXmlObjectList", &TXmlPersistent::StaticClassInfo()};
    return info;
}

TXmlObjectList::~TXmlObjectList() {
    if (FOwnsObjects)
        for (TXmlPersistent* item : FItems)
            delete item;
}

void TXmlObjectList::Assign(const TPersistent* source) {
    if (source == this)
        return;
    TUpdateGuard update(*this);
    // A list without published properties of its own still copies its items; the generic copy
    // would refuse it for having no properties.
    const auto* sourceList = dynamic_cast<const TXmlObjectList*>(source);
    const bool compatible = sourceList != nullptr && source->InheritsFrom(ClassInfo());
    if (!compatible || !ClassInfo().PublishedProperties().empty())
        TXmlPersistent::Assign(source);
    if (sourceList == nullptr)
        return;
    Clear();
    for (const TXmlPersistent* item : sourceList->FItems)
        if (std::unique_ptr<TXmlPersistent> copy = item->Clone())
            AddItem(std::move(copy));
}

void TXmlObjectList::ReadFromXmlNode(pugi::xml_node element) {
    TUpdateGuard update(*this);
    TXmlPersistent::ReadFromXmlNode(element);
    Clear();
    pugi::xml_node items = TSLXmlfn::ChildByName(element, kItemsElement);
    for (pugi::xml_node child : items.children()) {
        if (child.type() != pugi::node_element)
            continue;
        std::unique_ptr<TXmlPersistent> item = CreateItem();
        if (!item)
            continue;
        item->ReadFromXmlNode(child);
        AddItem(std::move(item));
    }
}

void TXmlObjectList::WriteToXmlNode(pugi::xml_node element) {
    TXmlPersistent::WriteToXmlNode(element);
    pugi::xml_node items = element.append_child(kItemsElement);
    for (TXmlPersistent* item : FItems)
        item->WriteToXmlNode(items.append_child(item->ClassName().c_str()));
}

int TXmlObjectList::AddItem(TXmlPersistent* item) {
    // Take ownership before anything can fail, so an owned item never leaks.
    std::unique_ptr<TXmlPersistent> guard(FOwnsObjects ? item : nullptr);
    TUpdateGuard update(*this);
    FItems.push_back(item);
    guard.release();
    item->OnChange = [this](TPersistent* sender) { ItemChanged(sender); };
    return static_cast<int>(FItems.size()) - 1;
}

TXmlPersistent* TXmlObjectList::GetItem(int index) const {
    if (index < 0 || index >= GetCount())
        throw EListError(FormatMessage(kListIndexErrorFmt, index));
    return FItems[static_cast<std::size_t>(index)];
}

int TXmlObjectList::IndexOf(const TXmlPersistent* item) const {
    const auto found = std::find(FItems.begin(), FItems.end(), item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TXmlObjectList::ItemChanged(TPersistent*) {}

std::unique_ptr<TXmlPersistent> TXmlObjectList::CreateItem() {
    return nullptr;
}

void TXmlObjectList::Clear() {
    if (FItems.empty())
        return;
    TUpdateGuard update(*this);
    std::vector<TXmlPersistent*> removed;
    removed.swap(FItems);
    if (FOwnsObjects)
        for (TXmlPersistent* item : removed)
            delete item;
}

// --- Access by name ----------------------------------------------------------------------------

namespace {
const TPropInfo& RequireProperty(const TPersistent& object, const std::string& name) {
    const TPropInfo* prop = object.ClassInfo().FindProperty(name);
    if (prop == nullptr)
        throw EPropertyError(FormatMessage(kUnknownPropertyFmt, name.c_str()));
    return *prop;
}
} // namespace

TPropValue GetPropValue(const TPersistent& object, const std::string& name) {
    return RequireProperty(object, name).Get(object);
}

void SetPropValue(TPersistent& object, const std::string& name, const TPropValue& value) {
    const TPropInfo& prop = RequireProperty(object, name);
    if (!prop.IsWritable())
        throw EPropertyError(FormatMessage(kReadOnlyPropertyFmt, prop.Name.c_str()));
    prop.Set(object, value);
}
