// The one application object of Vellumar.scr; the framework's WinMain runs it.
#include "host/SaverApp.h"

SaverApp theApp;
