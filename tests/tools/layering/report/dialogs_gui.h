// A companion: declares what talks to the user.
#pragma once
void ShowError();
