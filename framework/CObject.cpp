#include "framework/CObject.h"

CObject::~CObject() = default;
