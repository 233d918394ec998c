// Which of the units the export stands on are present in this tree yet;
// the commands that need a missing one fail with a clear text instead.
#pragma once

#if __has_include("foundation/vxComTools.h") && __has_include("foundation/vxCipherToolsEvo3.h")
#define VX_HAVE_CONFIG_UNITS 1
#else
#define VX_HAVE_CONFIG_UNITS 0
#endif

#if __has_include("foundation/vxVarlo.h") && __has_include("foundation/vxFoundationStartup.h")
#define VX_HAVE_VARLO 1
#else
#define VX_HAVE_VARLO 0
#endif

#if __has_include("plugin/vxMailTools.h")
#define VX_HAVE_MAIL_ENGINE 1
#else
#define VX_HAVE_MAIL_ENGINE 0
#endif
