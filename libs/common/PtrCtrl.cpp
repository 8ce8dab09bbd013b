#include "ROVA_Common.h"

// Out of line so the vtable lives in the library.
CPtrCtrl::~CPtrCtrl() = default;
