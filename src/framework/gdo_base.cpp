// gdo_base.cpp — see gdo_base.h.
#include "framework/gdo_base.h"

bool c_GDOBase::SetFloat(StringView propertyName, float value) {
    if (propertyName == u"rotation") {
        rotation = value;
    } else if (propertyName == u"scale.x") {
        scale.x = value;
    } else if (propertyName == u"scale.y") {
        scale.y = value;
    } else if (propertyName == u"scale") {
        scale.x = value;
        scale.y = value;
    } else if (propertyName == u"position.x") {
        position.x = value;
    } else if (propertyName == u"position.y") {
        position.y = value;
    } else if (propertyName == u"enabled") {
        enabled = value != 0;
    } else if (propertyName == u"visible") {
        visible = value != 0;
    } else {
        return false;
    }
    return true;
}
