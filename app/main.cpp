#include "app/app.h"

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int) {
    return RunVellix(module);
}
