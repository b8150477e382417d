#include "framework/CGdiObject.h"

CGdiObject::CGdiObject(Ownership ownership) : ownership(ownership) {}

CGdiObject::~CGdiObject()
{
    Release();
}

void CGdiObject::Release()
{
    if (handle && ownership == Ownership::Managed)
        ::DeleteObject(handle);
    handle = nullptr;
}

bool CGdiObject::Attach(HGDIOBJ object)
{
    if (!object)
        return false;
    if (object != handle)
        Release();
    handle = object;
    return true;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = handle;
    handle = nullptr;
    return object;
}

bool CGdiObject::DeleteObject()
{
    if (!handle)
        return false;
    HGDIOBJ object = Detach();
    return ::DeleteObject(object) != FALSE;
}
