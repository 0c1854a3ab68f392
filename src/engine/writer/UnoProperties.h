#pragma once

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/uno/Sequence.hxx>
#include <initializer_list>

// Building the office's argument lists and reading properties an object may lack.
namespace brindlecast::engine::writer {

inline css::beans::PropertyValue property(const char* name, const css::uno::Any& value) {
    css::beans::PropertyValue result;
    result.Name = rtl::OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

inline css::uno::Sequence<css::beans::PropertyValue>
properties(std::initializer_list<css::beans::PropertyValue> values) {
    return css::uno::Sequence<css::beans::PropertyValue>(values.begin(), sal_Int32(values.size()));
}

/// The property `name` of `properties`, or `fallback` when the object has no such property.
template <typename T>
T propertyOr(const css::uno::Reference<css::beans::XPropertySet>& properties, const char* name,
             T fallback) {
    T value = fallback;
    if (properties->getPropertySetInfo()->hasPropertyByName(rtl::OUString::createFromAscii(name)))
        properties->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= value;
    return value;
}

} // namespace brindlecast::engine::writer
