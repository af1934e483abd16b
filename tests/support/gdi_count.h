// How many GDI objects this process holds, for leak checks. Compare two
// readings; the absolute number includes the platform's own objects.
#pragma once

namespace census::testing {

unsigned long LiveGdiObjects();

}  // namespace census::testing
