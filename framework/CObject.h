#pragma once

// Root of the framework's classes: a virtual destructor, so that objects can be deleted
// through a base pointer, and no copying, since most of them own platform handles.
class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
    virtual ~CObject();
};
