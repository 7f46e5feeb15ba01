// CxObject: the common root of engine classes. It carries nothing but a
// virtual destructor, so every engine object can be deleted through it.
#pragma once

class CxObject
{
public:
    CxObject() = default;
    CxObject(const CxObject&) = default;
    CxObject& operator=(const CxObject&) = default;
    virtual ~CxObject() = default;
};
