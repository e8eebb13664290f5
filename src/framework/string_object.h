// string_object.h — c_StringObject, a String wrapped in an object, for places
// that expect an object (event data).
#pragma once

#include "host/object.h"

class c_StringObject : public Object {
public:
    String value;

    c_StringObject() = default;
    explicit c_StringObject(String text) : value(std::move(text)) {}
    String ToString() const override { return value; }
};
