#include "core/highlighters/SqlHighlighter.h"

namespace tervil {

namespace {

enum TSqlMode : THighlighterState {
  kCode = 0,
  kBlockComment,
  kSingleQuoted,
  kDoubleQuoted,
  kBacktick,
  kBracketed
};

const TKeywordSet& Keywords() {
  static const TKeywordSet words({"absolute",
                                  "action",
                                  "add",
                                  "after",
                                  "all",
                                  "alter",
                                  "and",
                                  "any",
                                  "as",
                                  "asc",
                                  "authorization",
                                  "auto_increment",
                                  "before",
                                  "begin",
                                  "between",
                                  "by",
                                  "call",
                                  "cascade",
                                  "case",
                                  "check",
                                  "close",
                                  "collate",
                                  "column",
                                  "commit",
                                  "constraint",
                                  "continue",
                                  "create",
                                  "cross",
                                  "current",
                                  "cursor",
                                  "database",
                                  "databases",
                                  "deallocate",
                                  "declare",
                                  "default",
                                  "delete",
                                  "desc",
                                  "describe",
                                  "distinct",
                                  "do",
                                  "drop",
                                  "each",
                                  "else",
                                  "elseif",
                                  "end",
                                  "engine",
                                  "escape",
                                  "except",
                                  "exec",
                                  "execute",
                                  "exists",
                                  "explain",
                                  "fetch",
                                  "for",
                                  "foreign",
                                  "from",
                                  "full",
                                  "function",
                                  "go",
                                  "grant",
                                  "group",
                                  "having",
                                  "identity",
                                  "if",
                                  "ignore",
                                  "in",
                                  "index",
                                  "inner",
                                  "insert",
                                  "intersect",
                                  "into",
                                  "is",
                                  "join",
                                  "key",
                                  "left",
                                  "like",
                                  "limit",
                                  "loop",
                                  "merge",
                                  "natural",
                                  "next",
                                  "no",
                                  "not",
                                  "null",
                                  "of",
                                  "offset",
                                  "on",
                                  "open",
                                  "option",
                                  "or",
                                  "order",
                                  "outer",
                                  "over",
                                  "partition",
                                  "primary",
                                  "procedure",
                                  "references",
                                  "rename",
                                  "replace",
                                  "restrict",
                                  "return",
                                  "returns",
                                  "revoke",
                                  "right",
                                  "rollback",
                                  "row",
                                  "rows",
                                  "savepoint",
                                  "schema",
                                  "select",
                                  "set",
                                  "show",
                                  "table",
                                  "temporary",
                                  "then",
                                  "to",
                                  "top",
                                  "transaction",
                                  "trigger",
                                  "truncate",
                                  "union",
                                  "unique",
                                  "unsigned",
                                  "update",
                                  "use",
                                  "using",
                                  "values",
                                  "view",
                                  "when",
                                  "where",
                                  "while",
                                  "with",
                                  "work",
                                  "zerofill",
                                  "true",
                                  "false"},
                                 true);
  return words;
}

const TKeywordSet& DataTypes() {
  static const TKeywordSet words({"bigint",
                                  "binary",
                                  "bit",
                                  "blob",
                                  "bool",
                                  "boolean",
                                  "bytea",
                                  "char",
                                  "character",
                                  "clob",
                                  "date",
                                  "datetime",
                                  "datetime2",
                                  "dec",
                                  "decimal",
                                  "double",
                                  "enum",
                                  "float",
                                  "image",
                                  "int",
                                  "integer",
                                  "interval",
                                  "json",
                                  "jsonb",
                                  "longblob",
                                  "longtext",
                                  "mediumblob",
                                  "mediumint",
                                  "mediumtext",
                                  "money",
                                  "nchar",
                                  "ntext",
                                  "number",
                                  "numeric",
                                  "nvarchar",
                                  "precision",
                                  "real",
                                  "serial",
                                  "smalldatetime",
                                  "smallint",
                                  "text",
                                  "time",
                                  "timestamp",
                                  "tinyblob",
                                  "tinyint",
                                  "tinytext",
                                  "uniqueidentifier",
                                  "uuid",
                                  "varbinary",
                                  "varchar",
                                  "varchar2",
                                  "xml",
                                  "year"},
                                 true);
  return words;
}

const TKeywordSet& Functions() {
  static const TKeywordSet words({"abs",          "avg",
                                  "cast",         "ceil",
                                  "ceiling",      "char_length",
                                  "coalesce",     "concat",
                                  "concat_ws",    "convert",
                                  "count",        "current_date",
                                  "current_time", "current_timestamp",
                                  "current_user", "date_add",
                                  "date_format",  "date_sub",
                                  "datediff",     "day",
                                  "dense_rank",   "floor",
                                  "format",       "getdate",
                                  "group_concat", "hour",
                                  "ifnull",       "instr",
                                  "isnull",       "last_insert_id",
                                  "lcase",        "left",
                                  "length",       "locate",
                                  "lower",        "lpad",
                                  "ltrim",        "max",
                                  "md5",          "min",
                                  "minute",       "mod",
                                  "month",        "now",
                                  "nullif",       "power",
                                  "rand",         "rank",
                                  "round",        "row_number",
                                  "rpad",         "rtrim",
                                  "second",       "sha1",
                                  "sign",         "sqrt",
                                  "stddev",       "str_to_date",
                                  "substr",       "substring",
                                  "sum",          "sysdate",
                                  "trim",         "ucase",
                                  "upper",        "user",
                                  "variance",     "week",
                                  "year"},
                                 true);
  return words;
}

}  // namespace

TSqlHighlighter::TSqlHighlighter() : TCodeHighlighter("SQL", "") {
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  dataType_ = AddAttribute("Data Type", clBlue, fsBold);
  delimitedIdentifier_ = AddAttribute("Delimited Identifier", clOlive);
  function_ = AddAttribute("Function", clBlue);
  identifier_ = AddAttribute("Identifier", clBlack);
  number_ = AddAttribute("Number", clGreen);
  keyword_ = AddAttribute("Reserved Word", clBlue, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clRed);
  symbol_ = AddAttribute("Symbol");
  variable_ = AddAttribute("Variable", clPurple);

  SetCodeDefaults();
}

THighlighterState TSqlHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                 std::size_t end, bool /*endsLine*/,
                                                 THighlighterState start,
                                                 std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  THighlighterState mode = start <= kBracketed ? start : kCode;
  RunLexer(s, out, [&] { return Step(s, mode); });
  return mode;
}

const THighlighterAttribute* TSqlHighlighter::Step(TScanner& s, THighlighterState& mode) {
  switch (mode) {
    case kBlockComment:
      if (s.SkipPast("*/")) mode = kCode;
      return comment_;
    case kSingleQuoted:
      return Quoted(s, mode, '\'');
    case kDoubleQuoted:
      return Quoted(s, mode, '"');
    case kBacktick:
      return Quoted(s, mode, '`');
    case kBracketed:
      return Quoted(s, mode, ']');
    default:
      break;
  }
  unsigned char c = s.Peek();
  if (IsBlank(c)) {
    s.SkipBlanks();
    return space_;
  }
  if ((c == '-' && s.Peek(1) == '-') || c == '#') {
    s.SkipToEnd();
    return comment_;
  }
  if (c == '/' && s.Peek(1) == '*') {
    s.Advance(2);
    mode = s.SkipPast("*/") ? kCode : kBlockComment;
    return comment_;
  }
  if (c == '\'' || c == '"' || c == '`' || c == '[') {
    s.Advance();
    return Quoted(s, mode, c == '[' ? ']' : c);
  }
  if (StartsNumber(s, c)) {
    ScanNumber(s, {true, false, false, 0, false});
    return number_;
  }
  if ((c == '@' || c == ':') && IsWordStart(s.Peek(1))) {
    s.Advance();
    s.SkipWhile([](unsigned char b) { return IsWordChar(b) || b == '@'; });
    return variable_;
  }
  if (IsWordStart(c)) {
    std::size_t start = s.pos;
    s.SkipWhile([](unsigned char b) { return IsWordChar(b) || b == '$'; });
    std::string_view word = s.Text(start);
    // A name that is also a function is one only when called.
    if (Functions().Contains(word) && s.Peek() == '(') return function_;
    if (DataTypes().Contains(word)) return dataType_;
    if (Keywords().Contains(word)) return keyword_;
    if (Functions().Contains(word)) return function_;
    return identifier_;
  }
  s.AdvanceChar();
  return symbol_;
}

// Inside a quoted text: '' (and \' in strings) stand for the quote; the text may span lines.
const THighlighterAttribute* TSqlHighlighter::Quoted(TScanner& s, THighlighterState& mode,
                                                     unsigned char quote) {
  bool isString = quote == '\'';
  bool closed = s.SkipQuoted(quote, isString ? '\\' : 0, quote != ']');
  THighlighterState open = quote == '\''  ? kSingleQuoted
                           : quote == '"' ? kDoubleQuoted
                           : quote == '`' ? kBacktick
                                          : kBracketed;
  mode = closed ? kCode : open;
  return isString ? string_ : delimitedIdentifier_;
}

}  // namespace tervil
