// Placeholder bodies until saving and printing land; each is replaced by its real handler.
#include "app/Form1.h"

void Form1::Button_save_Click() {}
void Form1::SaveRealtime() {}
void Form1::SaveRecords() {}
void Form1::ExportToExcel(const QString &) {}
void Form1::Button_print_Click() {}
