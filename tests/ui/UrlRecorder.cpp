// The recorder's meta-object lives here.
#include "ui/UrlRecorder.h"
