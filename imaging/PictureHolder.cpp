#include "imaging/PictureHolder.h"

PictureHolder::~PictureHolder()
{
    ReleasePicture();
}

void PictureHolder::ReleasePicture()
{
    if (picture)
        picture->Release();
    picture = nullptr;
}

bool PictureHolder::CreateFromBitmap(CBitmap* bitmap, CPalette* palette, bool transferOwnership)
{
    HBITMAP bitmapHandle = bitmap ? bitmap->GetSafeHandle() : nullptr;
    HPALETTE paletteHandle = palette ? palette->GetSafeHandle() : nullptr;
    ReleasePicture();
    if (!bitmapHandle)
        return false;
    // Handles handed over are these owners' until the picture takes them; should no picture
    // be made, they go with the owners.
    CBitmap givenBitmap;
    CPalette givenPalette;
    if (transferOwnership) {
        givenBitmap.Attach(bitmap->Detach());
        if (palette)
            givenPalette.Attach(palette->Detach());
    }

    PICTDESC description{};
    // The structure is 24 bytes on 64-bit Windows and 20 on 32-bit.
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmapHandle;
    description.bmp.hpal = paletteHandle;
    void* created = nullptr;
    const HRESULT result =
        ::OleCreatePictureIndirect(&description, IID_IPicture, transferOwnership ? TRUE : FALSE, &created);
    if (FAILED(result) || !created) {
        if (created)
            static_cast<IPicture*>(created)->Release();
        return false;
    }
    givenBitmap.Detach();
    givenPalette.Detach();
    picture = static_cast<IPicture*>(created);
    return true;
}

void PictureHolder::Render(HDC dc, const RECT& renderRect, const RECT& boundsRect) const
{
    if (!picture)
        return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)))
        return;
    // Source origin at the top with a negative height: the picture's top row lands at the
    // top of the render rectangle.
    picture->Render(dc, renderRect.left, renderRect.top, renderRect.right - renderRect.left,
                    renderRect.bottom - renderRect.top, 0, height - 1, width, -height, &boundsRect);
}
