#include "platform/widgets/VclComponent.h"
#include "platform/system/TextRules.h"

#include <QString>
#include <algorithm>
#include <cxxabi.h>
#include <typeinfo>

TComponent::TComponent(TComponent* owner) : Owner_(owner) {
    if (Owner_)
        Owner_->InsertComponent(this);
}

// Owned components go last-created first, each through its before-destruction step as
// the library frees them; each one leaves the owner's list in its own destructor, so a
// component that something else (a parent widget) already freed is never freed twice.
TComponent::~TComponent() {
    while (!Components_.empty()) {
        TComponent* component = Components_.back();
        component->BeforeDestruction();
        delete component;
    }
    if (Owner_)
        Owner_->RemoveComponent(this);
}

std::string TComponent::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    const std::size_t scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

void TComponent::SetName(const std::string& name) {
    Name_ = name;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : Components_)
        if (platform::SameTextAscii(component->Name(), name))
            return component;
    return nullptr;
}

std::vector<TPublishedString> TComponent::PublishedStrings() {
    std::vector<TPublishedString> list;
    DefinePublishedStrings(list);
    return list;
}

void TComponent::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    list.push_back(
        {"Name", [this] { return Name(); }, [this](const std::string& value) { SetName(value); }});
}

void TComponent::InsertComponent(TComponent* component) {
    Components_.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component) {
    std::erase(Components_, component);
}

void TComponentDeleter::operator()(TComponent* component) const {
    if (!component)
        return;
    component->BeforeDestruction();
    delete component;
}

TPublishedString PublishedField(std::string name, std::string& field) {
    return {std::move(name), [&field] { return field; },
            [&field](const std::string& value) { field = value; }};
}
