#include "forms/form_hooks.h"

#include "forms/field_display.h"

int AcceptField(int block, const std::string& text, int field, int /*key*/) {
  StoreFieldValue(block, field, text);
  DisplayField(block, field);
  return 0;
}

int AfterBlock(int /*block*/, int /*key*/) { return 0; }

int BeforeBrowse(int /*browse*/, std::string& startKey, std::string& upperBound) {
  startKey.clear();
  upperBound.clear();
  return 0;
}

std::string BrowseLine(int /*browse*/) { return std::string(); }

void AfterBrowse(int /*browse*/, int /*block*/, int /*field*/) {}
