# Tollund tests of the Windows build, run under Wine.
