#include "model/RenderOptions.h"

namespace vs {

TRenderOptions& RenderOptions() {
  static TRenderOptions options;
  return options;
}

}  // namespace vs
