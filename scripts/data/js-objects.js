#!/usr/bin/env node
// Writes data/js.tvd, the JavaScript objects of the member popup, from the Web IDL of the browser
// platform (the @webref/idl package) and the language's own built-in objects: which members they
// have as this Node.js runtime reports them, their parameters and result types from the language's
// declarations that ship with TypeScript 5 (its lib.esnext.d.ts, read through the compiler API).
//
//   mkdir -p /tmp/webref && (cd /tmp/webref && npm install @webref/idl @webref/elements typescript@5)
//   NODE_PATH=/tmp/webref/node_modules node scripts/data/js-objects.js [output file]
//
// Keep the npm folder outside the repository. Each object is written as
//   <object name="Document" base="Node">
//   <property name="body" type="HTMLElement" eltype="">Property of Document, HTMLElement</property>
//   <method name="getElementById" type="Element" params="DOMString elementId" eltype="">...</method>
//   <event name="onclick" type="Event" eltype="">...</event>
//   <method name="now" type="Number" params="" eltype="" static="true">...</method>
//   </object>
// with the object's own members (mixins and partial definitions merged in); "base" names the
// object it inherits from, and the editor lists the inherited members after the own ones.
// An object stands for its instances; members of the constructor itself (Date.now,
// URL.createObjectURL) are marked static="true". Namespaces (Math, JSON, console) have no
// instances: their members are plain members of the object.
// "type" names the object a member yields, "eltype" the object an element of a collection yields.
// Descriptions are composed from these facts. Before the objects, one line per element name of the
// markup gives the object its elements are (@webref/elements; the HTML standard's first):
//   <element name="form" type="HTMLFormElement"></element>
// so that getElementsByTagName('form')[0] and createElement('form') yield HTMLFormElement.

const fs = require('fs');
const path = require('path');
const {parseAll} = require('@webref/idl');
const elementLists = require('@webref/elements');
const ts = require('typescript');

const output = process.argv[2] || path.join(__dirname, '..', '..', 'data', 'js.tvd');

const kPrimitive = new Map([
  ['DOMString', 'String'], ['USVString', 'String'], ['ByteString', 'String'],
  ['CSSOMString', 'String'], ['boolean', 'Boolean'], ['object', 'Object'], ['any', ''],
  ['undefined', ''], ['bigint', 'BigInt'], ['symbol', 'Symbol'],
]);
const kNumeric = /^(unsigned )?(short|long|long long|byte|octet|float|double)$|^unrestricted /;
const kEventHandlers = new Set(['EventHandler', 'OnErrorEventHandler', 'OnBeforeUnloadEventHandler']);
const kListTypes = new Set(['sequence', 'FrozenArray', 'ObservableArray']);

function escape(text) {
  return String(text).replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/</g, '&lt;')
      .replace(/>/g, '&gt;');
}

// The object name a Web IDL type yields, and the element type of a list.
function typeOf(idlType) {
  if (!idlType) return {type: '', eltype: ''};
  if (idlType.union) {
    const first = idlType.idlType.map(typeOf).find(t => t.type !== '');
    return first || {type: '', eltype: ''};
  }
  if (idlType.generic === 'Promise') return {type: 'Promise', eltype: ''};
  if (kListTypes.has(idlType.generic)) {
    return {type: 'Array', eltype: typeOf(idlType.idlType[0]).type};
  }
  if (idlType.generic) return {type: 'Object', eltype: ''};
  const name = idlType.idlType;
  if (kPrimitive.has(name)) return {type: kPrimitive.get(name), eltype: ''};
  if (kNumeric.test(name)) return {type: 'Number', eltype: ''};
  return {type: name, eltype: ''};
}

// A parameter's type as words: unions joined by "or", generics by their outer name.
function idlText(idlType) {
  if (idlType.union) return idlType.idlType.map(idlText).join(' or ');
  return idlType.generic || idlType.idlType;
}

function paramsOf(args) {
  return args.map(a => {
    const t = idlText(a.idlType);
    return `${t} ${a.variadic ? '...' : ''}${a.name}${a.optional ? '?' : ''}`;
  }).join(', ');
}

// Definitions by name, partial ones and mixins merged in.
function collect(all) {
  const objects = new Map();
  const mixins = new Map();
  const includes = [];
  const take = (map, d) => {
    if (!map.has(d.name)) map.set(d.name, {name: d.name, base: '', members: [], kind: d.type});
    const o = map.get(d.name);
    if (d.inheritance) o.base = d.inheritance;
    if (!d.partial) o.kind = d.type;
    o.members.push(...d.members);
  };
  for (const ast of Object.values(all)) {
    for (const d of ast) {
      if (d.type === 'interface' || d.type === 'namespace' || d.type === 'callback interface') {
        take(objects, d);
      } else if (d.type === 'interface mixin') {
        take(mixins, d);
      } else if (d.type === 'includes') {
        includes.push(d);
      }
    }
  }
  for (const inc of includes) {
    const target = objects.get(inc.target);
    const mixin = mixins.get(inc.includes);
    if (target && mixin) target.members.push(...mixin.members);
  }
  return objects;
}

// What the elements of these collections are. The Web IDL types them all as HTMLCollection (whose
// elements are any Element); which elements they gather is said in the prose of the HTML standard,
// so it is kept here as the project's own table.
const kCollectionItems = new Map([
  ['Document.forms', 'HTMLFormElement'], ['Document.images', 'HTMLImageElement'],
  ['Document.embeds', 'HTMLEmbedElement'], ['Document.plugins', 'HTMLEmbedElement'],
  ['Document.links', 'HTMLAnchorElement'], ['Document.anchors', 'HTMLAnchorElement'],
  ['Document.scripts', 'HTMLScriptElement'],
  ['HTMLFormElement.elements', 'HTMLInputElement'],
  ['HTMLFieldSetElement.elements', 'HTMLInputElement'],
  ['HTMLSelectElement.options', 'HTMLOptionElement'],
  ['HTMLSelectElement.selectedOptions', 'HTMLOptionElement'],
  ['HTMLDataListElement.options', 'HTMLOptionElement'],
  ['HTMLTableElement.rows', 'HTMLTableRowElement'],
  ['HTMLTableElement.tBodies', 'HTMLTableSectionElement'],
  ['HTMLTableSectionElement.rows', 'HTMLTableRowElement'],
  ['HTMLTableRowElement.cells', 'HTMLTableCellElement'],
  ['HTMLMapElement.areas', 'HTMLAreaElement'],
  ['HTMLInputElement.labels', 'HTMLLabelElement'],
  ['HTMLSelectElement.labels', 'HTMLLabelElement'],
  ['HTMLTextAreaElement.labels', 'HTMLLabelElement'],
  ['HTMLButtonElement.labels', 'HTMLLabelElement'],
]);

// The element type of collections with an indexed getter (HTMLCollection yields Element).
function indexedType(objects, name, depth = 0) {
  const o = objects.get(name);
  if (!o || depth > 20) return '';
  const getter = o.members.find(m => m.type === 'operation' && m.special === 'getter' &&
                                    m.arguments.length === 1 &&
                                    kNumeric.test(m.arguments[0].idlType.idlType));
  if (getter) return typeOf(getter.idlType).type;
  return o.base ? indexedType(objects, o.base, depth + 1) : '';
}

function webObjectLines(objects) {
  const lines = [];
  const names = [...objects.keys()].sort((a, b) => a.localeCompare(b, 'en'));
  for (const name of names) {
    const o = objects.get(name);
    const base = o.base ? ` base="${escape(o.base)}"` : '';
    lines.push(`<object name="${escape(name)}"${base}>`);
    const seen = new Set();
    const element = (tag, member, extra, description) => {
      const key = tag + ':' + member.name;
      if (!member.name || seen.has(key)) return;
      seen.add(key);
      const t = typeOf(member.idlType);
      const eltype = kCollectionItems.get(`${name}.${member.name}`) || t.eltype ||
                     (t.type ? indexedType(objects, t.type) : '');
      const marker = member.special === 'static' ? ' static="true"' : '';
      lines.push(`<${tag} name="${escape(member.name)}" type="${escape(t.type)}"${extra} ` +
                 `eltype="${escape(eltype)}"${marker}>${escape(description)}</${tag}>`);
    };
    for (const m of o.members) {
      const isStatic = m.special === 'static' ? 'static ' : '';
      if (m.type === 'attribute' && kEventHandlers.has(m.idlType.idlType)) {
        element('event', {...m, idlType: {idlType: 'Event'}}, '',
                `Event handler of ${name} for "${m.name.replace(/^on/, '')}" events`);
      } else if (m.type === 'attribute') {
        const ro = m.readonly ? 'read-only ' : '';
        const t = typeOf(m.idlType).type;
        element('property', m, '', `${ro}${isStatic}property of ${name}` + (t ? `, ${t}` : ''));
      } else if (m.type === 'const') {
        element('property', m, '', `Constant of ${name}, ${typeOf(m.idlType).type}`);
      }
    }
    for (const m of o.members) {
      if (m.type !== 'operation' || !m.name) continue;
      const t = typeOf(m.idlType).type;
      const isStatic = m.special === 'static' ? 'Static method' : 'Method';
      element('method', m, ` params="${escape(paramsOf(m.arguments))}"`,
              `${isStatic} of ${name}` + (t ? `, returns ${t}` : ''));
    }
    lines.push('</object>');
  }
  return lines;
}

// The language's built-in objects: an object per constructor (its instances' members, then the
// constructor's own members marked static) or namespace (its members).
const kBuiltIns = [
  'Array', 'ArrayBuffer', 'Atomics', 'BigInt', 'Boolean', 'DataView', 'Date', 'Error',
  'EvalError', 'Float32Array', 'Float64Array', 'Function', 'Int16Array', 'Int32Array',
  'Int8Array', 'Intl', 'JSON', 'Map', 'Math', 'Number', 'Object', 'Promise', 'Proxy',
  'RangeError', 'ReferenceError', 'Reflect', 'RegExp', 'Set', 'SharedArrayBuffer', 'String',
  'Symbol', 'SyntaxError', 'TypeError', 'URIError', 'Uint16Array', 'Uint32Array', 'Uint8Array',
  'Uint8ClampedArray', 'WeakMap', 'WeakRef', 'WeakSet',
];

function valueType(value) {
  switch (typeof value) {
    case 'number': return 'Number';
    case 'string': return 'String';
    case 'boolean': return 'Boolean';
    case 'symbol': return 'Symbol';
    case 'bigint': return 'BigInt';
    case 'function': return 'Function';
    default: return value === null || value === undefined ? '' : 'Object';
  }
}

// The language's declarations (TypeScript's lib.esnext.d.ts): the type of each global name at a
// probe statement, from which members, parameters and result types are read.
function languageDeclarations() {
  const options = {lib: ['lib.esnext.d.ts'], noEmit: true, types: []};
  const host = ts.createCompilerHost(options);
  const probe = '/probe.ts';
  const getSourceFile = host.getSourceFile;
  host.getSourceFile = (file, language) => file === probe ?
      ts.createSourceFile(file, 'export {};\nconst probe = 0;\n', language) :
      getSourceFile(file, language);
  const program = ts.createProgram([probe], options, host);
  const checker = program.getTypeChecker();
  const at = program.getSourceFile(probe).statements[1];
  const globals = new Map(
      checker.getSymbolsInScope(at, ts.SymbolFlags.Value | ts.SymbolFlags.Interface)
          .map(s => [s.name, s]));
  return {checker, at, globals};
}

// The object name a declared type yields ('' when it names none), and the element type of arrays.
function declaredType(decl, type, known) {
  const {checker} = decl;
  if (!type) return {type: '', eltype: ''};
  if (type.isUnion()) {
    const names = type.types.map(t => declaredType(decl, t, known)).filter(t => t.type !== '');
    return names[0] || {type: '', eltype: ''};
  }
  const f = type.flags;
  if (f & ts.TypeFlags.NumberLike) return {type: 'Number', eltype: ''};
  if (f & ts.TypeFlags.StringLike) return {type: 'String', eltype: ''};
  if (f & ts.TypeFlags.BooleanLike) return {type: 'Boolean', eltype: ''};
  if (f & ts.TypeFlags.BigIntLike) return {type: 'BigInt', eltype: ''};
  if (f & ts.TypeFlags.ESSymbolLike) return {type: 'Symbol', eltype: ''};
  if (!(f & ts.TypeFlags.Object)) return {type: '', eltype: ''};
  if (checker.isArrayType(type) || checker.isTupleType(type)) {
    const element = checker.getTypeArguments(type)[0];
    return {type: 'Array', eltype: element ? declaredType(decl, element, known).type : ''};
  }
  const name = (type.aliasSymbol || type.symbol || {}).name || '';
  if (/^(RegExp(Match|Exec)Array|ReadonlyArray)$/.test(name)) return {type: 'Array', eltype: ''};
  if (type.getCallSignatures().length > 0 && !known.has(name)) {
    return {type: 'Function', eltype: ''};
  }
  return {type: known.has(name) ? name : '', eltype: ''};
}

// A parameter's type as words: the object names of a union joined by "or".
function parameterType(decl, type, known) {
  const parts = type.isUnion() ? type.types : [type];
  const names = [...new Set(parts.map(t => declaredType(decl, t, known).type).filter(Boolean))];
  return names.join(' or ');
}

// The parameters and result of the longest declared form of member `key` of `type`.
function declaredMethod(decl, type, key, known) {
  const {checker, at} = decl;
  const symbol = type && type.getProperty(key);
  if (!symbol) return null;
  const signatures = checker.getSignaturesOfType(checker.getTypeOfSymbolAtLocation(symbol, at),
                                                 ts.SignatureKind.Call);
  if (signatures.length === 0) return null;
  // The form with a rest parameter (Object.assign(target, ...sources)), else the longest; a
  // parameter that another form goes without is optional.
  const isRest = p => !!(p.valueDeclaration && p.valueDeclaration.dotDotDotToken);
  const longest = signatures.find(s => s.parameters.some(isRest)) ||
                  signatures.reduce((a, b) => b.parameters.length > a.parameters.length ? b : a);
  const fewest = Math.min(...signatures.map(s => s.parameters.length));
  const params = longest.parameters.map((p, i) => {
    const d = p.valueDeclaration;
    const rest = isRest(p);
    const optional = !rest && (i >= fewest || !!(d && (d.questionToken || d.initializer)));
    let t = checker.getTypeOfSymbolAtLocation(p, d || at);
    if (rest && checker.isArrayType(t)) t = checker.getTypeArguments(t)[0];
    const words = parameterType(decl, t, known);
    return `${words ? words + ' ' : ''}${rest ? '...' : ''}${p.name}${optional ? '?' : ''}`;
  });
  return {params: params.join(', '), result: declaredType(decl, longest.getReturnType(), known)};
}

function declaredProperty(decl, type, key, known) {
  const symbol = type && type.getProperty(key);
  if (!symbol) return null;
  return declaredType(decl, decl.checker.getTypeOfSymbolAtLocation(symbol, decl.at), known);
}

function builtInLines(skip, known) {
  const decl = languageDeclarations();
  const {checker, at, globals} = decl;
  const builtInPrototypes = new Map(
      kBuiltIns.filter(n => n in globalThis && typeof globalThis[n] === 'function')
          .map(n => [globalThis[n].prototype, n]));
  const lines = [];
  for (const name of kBuiltIns) {
    if (skip.has(name) || !(name in globalThis)) continue;
    const object = globalThis[name];
    const constructor = typeof object === 'function';
    const symbol = globals.get(name);
    const staticType = symbol && checker.getTypeOfSymbolAtLocation(symbol, at);
    let instanceType = null;
    if (constructor && symbol) {
      const made = staticType.getConstructSignatures()[0];
      instanceType = made ? made.getReturnType() : checker.getDeclaredTypeOfSymbol(symbol);
    }
    // The instances' members: the prototype's, and those of the prototypes between it and the
    // next built-in's prototype (%TypedArray%); that built-in becomes the base.
    let base = '';
    const instanceSources = [];
    if (constructor) {
      for (let p = object.prototype; p && p !== Object.prototype;
           p = Object.getPrototypeOf(p)) {
        if (p !== object.prototype && builtInPrototypes.has(p)) {
          base = builtInPrototypes.get(p);
          break;
        }
        instanceSources.push(p);
      }
    }
    const staticSources = [];
    for (let c = object; c && c !== Function.prototype && c !== Object.prototype;
         c = Object.getPrototypeOf(c)) {
      staticSources.push(c);
      if (!constructor) break;
    }
    lines.push(`<object name="${name}"${base ? ` base="${base}"` : ''}>`);
    const write = (sources, skipKeys, tsType, owner, isStatic) => {
      const seen = new Set(skipKeys);
      const marker = isStatic ? ' static="true"' : '';
      const kind = isStatic ? 'Static method' : 'Method';
      for (const source of sources) {
        for (const key of Object.getOwnPropertyNames(source)) {
          if (seen.has(key) || !/^[A-Za-z_]/.test(key)) continue;
          seen.add(key);
          const d = Object.getOwnPropertyDescriptor(source, key);
          if (typeof d.value === 'function') {
            const m = declaredMethod(decl, tsType, key, known);
            const n = d.value.length;
            const expects = n === 0 ? 'no arguments' : (n === 1 ? '1 argument' : `${n} arguments`);
            const result = m ? m.result : {type: '', eltype: ''};
            lines.push(`<method name="${key}" type="${result.type}" params="${
                           escape(m ? m.params : '')}" eltype="${result.eltype}"${marker}>` +
                       `${kind} of ${owner}` +
                       (result.type ? `, returns ${result.type}` : `, expects ${expects}`) +
                       `</method>`);
          } else {
            const t = declaredProperty(decl, tsType, key, known) ||
                      {type: d.get ? '' : valueType(d.value), eltype: ''};
            const constant = d.writable === false && typeof d.value === 'number';
            const what = sources === instanceSources ? 'Property' :
                         (constant ? 'Constant' : (isStatic ? 'Static property' : 'Property'));
            lines.push(`<property name="${key}" type="${t.type}" eltype="${t.eltype}"${marker}>` +
                       `${what} of ${owner}` + (t.type ? `, ${t.type}` : '') + '</property>');
          }
        }
      }
    };
    if (constructor) {
      write(instanceSources, ['constructor', 'caller', 'callee', 'arguments'], instanceType, name,
            false);
      write(staticSources, ['length', 'name', 'prototype', 'caller', 'arguments'], staticType,
            name, true);
    } else {
      write(staticSources, [], staticType, name, false);
    }
    lines.push('</object>');
  }
  return lines;
}

// One line per element name: the object it is, the HTML standard's definition first.
async function elementLines(objects) {
  const all = await elementLists.listAll();
  const types = new Map();
  const lists = Object.keys(all).sort((a, b) => (a !== 'html') - (b !== 'html') || a.localeCompare(b));
  for (const list of lists) {
    for (const e of all[list].elements) {
      if (e.interface && objects.has(e.interface) && !types.has(e.name)) {
        types.set(e.name, e.interface);
      }
    }
  }
  return [...types.keys()].sort().map(
      name => `<element name="${escape(name)}" type="${escape(types.get(name))}"></element>`);
}

parseAll().then(async all => {
  const objects = collect(all);
  const known = new Set([...kBuiltIns, ...objects.keys()]);
  const lines = [
    '<!-- JavaScript objects of the member popup, written by scripts/data/js-objects.js -->',
    ...await elementLines(objects),
    ...builtInLines(new Set(objects.keys()), known), ...webObjectLines(objects),
  ];
  fs.writeFileSync(output, lines.join('\n') + '\n');
  process.stderr.write(`${lines.length} lines written to ${output}\n`);
});
