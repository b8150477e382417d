#pragma once
#include <windows.h>

#include "framework/CObject.h"

// Holds one GDI handle. A managed object deletes its handle when it is destroyed or given
// another one; a borrowed object only refers to a handle that someone else deletes (a
// bitmap selected out of a device context, a palette the caller keeps). Attach and Detach
// move a handle in and out without deleting it.
class CGdiObject : public CObject {
public:
    enum class Ownership { Managed, Borrowed };

    ~CGdiObject() override;

    // The handle, or null when the object is empty; safe to call on any object.
    HGDIOBJ GetSafeHandle() const { return handle; }
    bool IsEmpty() const { return handle == nullptr; }
    bool IsManaged() const { return ownership == Ownership::Managed; }

    // Takes `object`. An object that already holds a handle first lets it go as it would on
    // destruction (deleted when managed). False for a null handle.
    bool Attach(HGDIOBJ object);
    // Gives the handle up without deleting it; the object is empty afterwards.
    HGDIOBJ Detach();
    // Deletes the handle, borrowed or not, and empties the object; false when it was empty
    // or the platform refused (a handle still selected into a device context).
    bool DeleteObject();

protected:
    explicit CGdiObject(Ownership ownership);

private:
    void Release();

    HGDIOBJ handle = nullptr;
    Ownership ownership;
};
