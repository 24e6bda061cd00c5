#pragma once
// Saved objects. A saved class declares its published properties once, in a property table
// (TClassInfo); copying (Assign) and the XML form (one element per object, simple properties
// as attributes, object properties as child elements) are driven by that table alone.
//
// Declaring a saved class:
//
//   class TBaseRuler : public TXmlPersistent {
//   public:
//       static const TClassInfo& StaticClassInfo();
//       const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
//       float Angle = 0;                                  // a field
//       int GetWidth() const;  void SetWidth(int value);  // a getter/setter pair
//       TSLBrushEx* Brush() const;                        // a read-only object property
//   };
//
//   const TClassInfo& TBaseRuler::StaticClassInfo() {
//       static const TClassInfo info{"TBaseRuler", &TXmlPersistent::StaticClassInfo(),
//           {Published("Angle", &TBaseRuler::Angle),
//            Published("Width", &TBaseRuler::GetWidth, &TBaseRuler::SetWidth),
//            Published("Brush", &TBaseRuler::Brush)},
//           Factory<TBaseRuler>()};   // optional: lets TClassInfo::Create build one
//       return info;
//   }
//
// Kinds follow the C++ type: 8/16/32-bit integers, int64, bool, char, float/double/long double
// (the precision is kept), enums (optionally with their names), std::string (UTF-8),
// std::u16string/std::wstring, pointers to (or std::unique_ptr of) TPersistent subclasses.
// Sets are unsigned bitmasks (bit n = member with ordinal n) declared with PublishedSet and
// the members' names.

#include "foundation/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <limits>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

// The largest XML file LoadFromFile reads: a settings file of a thousand instruments is
// a few megabytes, so only a damaged or hostile file comes near this.
inline constexpr std::size_t kMaxXmlFileBytes = 64 * 1024 * 1024;

class TPersistent;
class TXmlPersistent;
class TClassInfo;

using TNotifyEvent = std::function<void(TPersistent* sender)>;

enum class TTypeKind {
    Integer,
    Char,
    Enumeration, // bool included
    Float,
    String,
    Set,
    Class,
    WChar,
    WString,
    Int64,
};

// Storage width of integer, character, enumeration and set properties.
enum class TOrdType { SByte, UByte, SWord, UWord, SLong, ULong };
enum class TFloatType { Single, Double, Extended };

// One property value in transit: ordinals (integers, chars, enums, bools, sets) as int64,
// floats as long double, texts, wide texts, object references.
using TPropValue = std::variant<std::monostate, std::int64_t, long double, std::string,
                                std::u16string, TPersistent*>;

// One published property: name, kind and access. Set is empty for a read-only property.
struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::Integer;
    TOrdType OrdType = TOrdType::SLong;
    TFloatType FloatType = TFloatType::Double;
    // Enumeration names or set member names, indexed by ordinal (may be empty for enums).
    std::vector<std::string> ElementNames;
    std::function<TPropValue(const TPersistent&)> Get;
    std::function<void(TPersistent&, const TPropValue&)> Set;

    bool IsWritable() const { return static_cast<bool>(Set); }
};

// Property order: ascending by name, letters compared as upper case (so digits come before
// letters and the underscore after them), a prefix before the longer name.
bool PropertyNameLess(const std::string& a, const std::string& b);

// Per class: its name, its parent, its own published properties and an optional factory
// (the "virtual constructor" that class registries and Clone use).
class TClassInfo {
public:
    using TFactory = std::function<std::unique_ptr<TPersistent>()>;

    TClassInfo(std::string name, const TClassInfo* parent,
               std::vector<TPropInfo> ownProperties = {}, TFactory factory = nullptr);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const std::string& Name() const { return FName; }
    const TClassInfo* Parent() const { return FParent; }
    bool InheritsFrom(const TClassInfo& other) const;
    // Own and inherited properties in property order; a redeclared name replaces the parent's.
    const std::vector<const TPropInfo*>& PublishedProperties() const { return FAllProperties; }
    // Letter case is ignored; null when there is no such property.
    const TPropInfo* FindProperty(const std::string& name) const;
    bool CanCreate() const { return static_cast<bool>(FFactory); }
    // A new object of this class, null when the class declared no factory.
    std::unique_ptr<TPersistent> Create() const;

private:
    std::string FName;
    const TClassInfo* FParent = nullptr;
    std::vector<TPropInfo> FOwnProperties;
    std::vector<const TPropInfo*> FAllProperties;
    TFactory FFactory;
};

template <class T> TClassInfo::TFactory Factory() {
    return [] { return std::unique_ptr<TPersistent>(std::make_unique<T>()); };
}

// Base of everything that has published properties.
class TPersistent {
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
    std::string ClassName() const { return ClassInfo().Name(); }
    bool InheritsFrom(const TClassInfo& info) const { return ClassInfo().InheritsFrom(info); }

    // Hands the copy to source->AssignTo(this); fails with "Cannot assign a %s to a %s".
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    // Raises EConvertError "Cannot assign a <source class or nil> to a <this class>".
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

// Base of every saved object: change notification with an update counter, copy by published
// properties, XML form with file and stream entry points, and a cloning hook.
class TXmlPersistent : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    TNotifyEvent OnChange;

    void Assign(const TPersistent* source) override;
    // Runs OnChange(this) unless an update is in progress.
    virtual void Changed();
    // A new independent copy, or null when the class is not cloneable (the base class).
    virtual std::unique_ptr<TXmlPersistent> Clone() const;

    // A missing file, and one that is no regular file (a device, a FIFO, a socket), changes
    // nothing and is no error. A file of more than kMaxXmlFileBytes fails with
    // EFileTooLarge, a folder or an unreadable file with EFOpenError.
    virtual void LoadFromFile(const std::string& fileName);
    // Parses from the stream's current position to its end; the root's name plays no part.
    virtual void LoadFromStream(std::istream& stream);
    virtual void ReadFromXmlNode(pugi::xml_node element);
    // The file is created or emptied first. A text of more than kMaxXmlFileBytes, which
    // LoadFromFile would refuse, fails with EFCreateError and writes nothing.
    virtual void SaveToFile(const std::string& fileName);
    virtual void SaveToStream(std::ostream& stream);
    // Replaces the element's child elements; its attributes stay (same names are overwritten).
    virtual void WriteToXmlNode(pugi::xml_node element);

    void BeginUpdate() { ++FUpdateCount; }
    // Leaving the outermost update (or an unbalanced call) resets the count and runs Changed.
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

private:
    int FUpdateCount = 0;
};

// Keeps an update open for a scope, so that EndUpdate also runs when a step fails.
class TUpdateGuard {
public:
    explicit TUpdateGuard(TXmlPersistent& object) : FObject(object) { FObject.BeginUpdate(); }
    ~TUpdateGuard() { FObject.EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    TXmlPersistent& FObject;
};

// Clone for classes whose published properties are their whole state.
template <class T> std::unique_ptr<TXmlPersistent> CloneByAssign(const T& source) {
    auto copy = std::make_unique<T>();
    copy->Assign(&source);
    return copy;
}

// An ordered list of saved objects, saved under a child element "Items" (one element per item,
// named by the item's class). Owns its items unless SetOwnsObjects(false).
class TXmlObjectList : public TXmlPersistent {
public:
    TXmlObjectList() = default;
    ~TXmlObjectList() override;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    void Assign(const TPersistent* source) override;
    void ReadFromXmlNode(pugi::xml_node element) override;
    void WriteToXmlNode(pugi::xml_node element) override;

    // Appends the item, hooks its OnChange to ItemChanged; returns its index.
    int AddItem(TXmlPersistent* item);
    int AddItem(std::unique_ptr<TXmlPersistent> item) { return AddItem(item.release()); }
    int GetCount() const { return static_cast<int>(FItems.size()); }
    // Fails with "List index out of bounds (%d)".
    TXmlPersistent* GetItem(int index) const;
    // Position of that very object, -1 when absent.
    int IndexOf(const TXmlPersistent* item) const;
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool owns) { FOwnsObjects = owns; }

    // Called with the item as sender when an item changes; nothing here.
    virtual void ItemChanged(TPersistent* sender);
    // Factory for items read from XML; null here (such children are skipped).
    virtual std::unique_ptr<TXmlPersistent> CreateItem();
    // Removes every item (freeing owned ones); an empty list is left alone.
    virtual void Clear();

private:
    std::vector<TXmlPersistent*> FItems; // owned when FOwnsObjects
    bool FOwnsObjects = true;
};

// ---------------------------------------------------------------------------------------------
// Property declaration helpers.

std::u16string WideToUtf16(const std::wstring& text);
std::wstring Utf16ToWide(const std::u16string& text);

namespace PropertyDetail {

template <class T> struct IsUniquePtr : std::false_type {};
template <class T, class D> struct IsUniquePtr<std::unique_ptr<T, D>> : std::true_type {};

template <class T> constexpr bool IsObjectPointer() {
    if constexpr (std::is_pointer_v<T>)
        return std::is_base_of_v<TPersistent, std::remove_cv_t<std::remove_pointer_t<T>>>;
    else
        return false;
}

template <class T> constexpr TOrdType OrdTypeOf() {
    constexpr bool isSigned = std::is_signed_v<T>;
    if constexpr (sizeof(T) == 1)
        return isSigned ? TOrdType::SByte : TOrdType::UByte;
    else if constexpr (sizeof(T) == 2)
        return isSigned ? TOrdType::SWord : TOrdType::UWord;
    else
        return isSigned ? TOrdType::SLong : TOrdType::ULong;
}

// Kind, width and precision deduced from the C++ type of the property.
template <class T> void DescribeType(TPropInfo& info) {
    if constexpr (std::is_same_v<T, bool>) {
        info.Kind = TTypeKind::Enumeration;
        info.OrdType = TOrdType::UByte;
        info.ElementNames = {"False", "True"};
    } else if constexpr (std::is_same_v<T, char>) {
        info.Kind = TTypeKind::Char;
        info.OrdType = TOrdType::UByte;
    } else if constexpr (std::is_same_v<T, char16_t> || std::is_same_v<T, wchar_t>) {
        info.Kind = TTypeKind::WChar;
        info.OrdType = TOrdType::UWord;
    } else if constexpr (std::is_enum_v<T>) {
        info.Kind = TTypeKind::Enumeration;
        info.OrdType = OrdTypeOf<std::underlying_type_t<T>>();
    } else if constexpr (std::is_integral_v<T> && sizeof(T) == 8) {
        info.Kind = TTypeKind::Int64;
    } else if constexpr (std::is_integral_v<T>) {
        static_assert(sizeof(T) <= 4, "unsupported integer width");
        info.Kind = TTypeKind::Integer;
        info.OrdType = OrdTypeOf<T>();
    } else if constexpr (std::is_floating_point_v<T>) {
        info.Kind = TTypeKind::Float;
        info.FloatType = std::is_same_v<T, float>    ? TFloatType::Single
                         : std::is_same_v<T, double> ? TFloatType::Double
                                                     : TFloatType::Extended;
    } else if constexpr (std::is_same_v<T, std::string>) {
        info.Kind = TTypeKind::String;
    } else if constexpr (std::is_same_v<T, std::u16string> || std::is_same_v<T, std::wstring>) {
        info.Kind = TTypeKind::WString;
    } else if constexpr (IsObjectPointer<T>() || IsUniquePtr<T>::value) {
        info.Kind = TTypeKind::Class;
    } else {
        static_assert(sizeof(T) == 0, "this type cannot be a published property");
    }
}

template <class T> TPropValue ToValue(const T& value) {
    if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
        return static_cast<std::int64_t>(value);
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<long double>(value);
    else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::u16string>)
        return value;
    else if constexpr (std::is_same_v<T, std::wstring>)
        return WideToUtf16(value);
    else if constexpr (IsUniquePtr<T>::value)
        return static_cast<TPersistent*>(value.get());
    else
        return static_cast<TPersistent*>(
            const_cast<std::remove_cv_t<std::remove_pointer_t<T>>*>(value));
}

// Converts a value in transit to the property's type. Object references of an unrelated class
// are refused (false), like a null reference they leave nothing to store.
template <class T> bool FromValue(const TPropValue& value, T& out) {
    if constexpr (std::is_same_v<T, bool>) {
        out = std::get<std::int64_t>(value) != 0;
    } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
        out = static_cast<T>(std::get<std::int64_t>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
        // Beyond the type's range the value becomes an infinity of its sign, as the hardware
        // would round it; spelled out because the plain conversion is undefined in C++.
        const long double wide = std::get<long double>(value);
        if (wide > std::numeric_limits<T>::max())
            out = std::numeric_limits<T>::infinity();
        else if (wide < std::numeric_limits<T>::lowest())
            out = -std::numeric_limits<T>::infinity();
        else
            out = static_cast<T>(wide);
    } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::u16string>) {
        out = std::get<T>(value);
    } else if constexpr (std::is_same_v<T, std::wstring>) {
        out = Utf16ToWide(std::get<std::u16string>(value));
    } else {
        static_assert(IsObjectPointer<T>(), "only object pointers can be written");
        TPersistent* object = std::get<TPersistent*>(value);
        if (object == nullptr) {
            out = nullptr;
            return true;
        }
        auto* typed = dynamic_cast<T>(object);
        if (typed == nullptr)
            return false;
        out = typed;
    }
    return true;
}

template <class C> const C& As(const TPersistent& object) {
    return static_cast<const C&>(object);
}
template <class C> C& As(TPersistent& object) {
    return static_cast<C&>(object);
}

} // namespace PropertyDetail

// A field: read and written directly (a std::unique_ptr field is a read-only object property).
template <class C, class T>
TPropInfo Published(std::string name, T C::*field, std::vector<std::string> enumNames = {}) {
    TPropInfo info;
    info.Name = std::move(name);
    PropertyDetail::DescribeType<T>(info);
    if (!enumNames.empty())
        info.ElementNames = std::move(enumNames);
    info.Get = [field](const TPersistent& object) {
        return PropertyDetail::ToValue(PropertyDetail::As<C>(object).*field);
    };
    if constexpr (!PropertyDetail::IsUniquePtr<T>::value) {
        info.Set = [field](TPersistent& object, const TPropValue& value) {
            T converted{};
            if (PropertyDetail::FromValue(value, converted))
                PropertyDetail::As<C>(object).*field = std::move(converted);
        };
    }
    return info;
}

// A read-only property through a getter.
template <class C, class R>
TPropInfo Published(std::string name, R (C::*getter)() const,
                    std::vector<std::string> enumNames = {}) {
    using T = std::decay_t<R>;
    TPropInfo info;
    info.Name = std::move(name);
    PropertyDetail::DescribeType<T>(info);
    if (!enumNames.empty())
        info.ElementNames = std::move(enumNames);
    info.Get = [getter](const TPersistent& object) {
        return PropertyDetail::ToValue<T>((PropertyDetail::As<C>(object).*getter)());
    };
    return info;
}

// A getter/setter pair; the setter decides what a change means (compare, notify, copy).
template <class C, class R, class CS, class A>
TPropInfo Published(std::string name, R (C::*getter)() const, void (CS::*setter)(A),
                    std::vector<std::string> enumNames = {}) {
    static_assert(std::is_base_of_v<CS, C> || std::is_base_of_v<C, CS>);
    using T = std::decay_t<A>;
    TPropInfo info = Published(std::move(name), getter, std::move(enumNames));
    info.Set = [setter](TPersistent& object, const TPropValue& value) {
        T converted{};
        if (PropertyDetail::FromValue(value, converted))
            (static_cast<CS&>(object).*setter)(std::move(converted));
    };
    return info;
}

// A set held as an unsigned bitmask: bit n stands for the member named memberNames[n].
template <class C, class T>
TPropInfo PublishedSet(std::string name, T C::*field, std::vector<std::string> memberNames) {
    static_assert(std::is_unsigned_v<T> && sizeof(T) <= 4, "a set is an unsigned bitmask");
    TPropInfo info = Published(std::move(name), field, std::move(memberNames));
    info.Kind = TTypeKind::Set;
    return info;
}

template <class C, class R, class CS, class A>
TPropInfo PublishedSet(std::string name, R (C::*getter)() const, void (CS::*setter)(A),
                       std::vector<std::string> memberNames) {
    static_assert(std::is_unsigned_v<std::decay_t<R>> && sizeof(std::decay_t<R>) <= 4,
                  "a set is an unsigned bitmask");
    TPropInfo info = Published(std::move(name), getter, setter, std::move(memberNames));
    info.Kind = TTypeKind::Set;
    return info;
}

// Typed access by property name (letter case ignored); EPropertyError when the class has no
// such property or it cannot be written.
TPropValue GetPropValue(const TPersistent& object, const std::string& name);
void SetPropValue(TPersistent& object, const std::string& name, const TPropValue& value);
