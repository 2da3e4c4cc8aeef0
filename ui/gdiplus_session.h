// GDI+ is started once per process and never shut down: drawing may happen until exit.
#pragma once

bool StartGdiplus();
