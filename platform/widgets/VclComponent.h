#pragma once
// TComponent: the root of our window layer. A component has a name, an owner that
// frees it, the components it owns (in creation order), a class name, and a list of
// published string properties (Caption, Hint, ...) that the language-file translator
// reads and writes by name. Forms, frames, controls, actions and timers derive from it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAction;

// One published text property of a component: its name, a reader and, unless the
// property is read-only, a writer.
struct TPublishedString {
    std::string Name;
    std::function<std::string()> Get;
    std::function<void(const std::string&)> Set;
};

class TComponent {
public:
    // The owner frees this component when the owner itself is freed; null for none.
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // The name of the object's own class ("TButton", "TAboutForm"); derived classes
    // get theirs from the C++ type without writing anything.
    virtual std::string ClassName() const;

    const std::string& Name() const { return Name_; }
    virtual void SetName(const std::string& name);

    // The components this one owns, in the order they were created.
    const std::vector<TComponent*>& Components() const { return Components_; }
    int ComponentCount() const { return static_cast<int>(Components_.size()); }
    // The owned component of that name (letter case ignored), null when there is none.
    TComponent* FindComponent(const std::string& name) const;

    // The published string properties of the object's class and its ancestors.
    std::vector<TPublishedString> PublishedStrings();

    // The action this component is bound to, null when it has none. Components that
    // can be bound (controls, menu items) override it.
    virtual TAction* GetAction() const { return nullptr; }

    // Life-cycle steps run right after the last constructor and right before the
    // destructor; NewComponent and TComponentDeleter call them. Needed because a
    // constructor or destructor cannot reach the overrides of derived classes.
    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}

protected:
    // Adds this class's published string properties; overrides call the base first.
    virtual void DefinePublishedStrings(std::vector<TPublishedString>& list);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    std::string Name_;
    TComponent* Owner_ = nullptr;
    std::vector<TComponent*> Components_;
};

// Frees a top-level component the way the class library does: BeforeDestruction first
// (so overrides see the whole object), then the destructor.
struct TComponentDeleter {
    void operator()(TComponent* component) const;
};

template <class T> using TComponentPtr = std::unique_ptr<T, TComponentDeleter>;

// Creates a component and runs its after-construction step (for a form: its OnCreate
// handler, then translation).
template <class T, class... Args> TComponentPtr<T> NewComponent(Args&&... args) {
    TComponentPtr<T> component(new T(std::forward<Args>(args)...));
    component->AfterConstruction();
    return component;
}

// Builds a published string property over a field of the component.
TPublishedString PublishedField(std::string name, std::string& field);
