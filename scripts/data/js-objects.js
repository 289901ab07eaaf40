#!/usr/bin/env node
// Writes data/js.tvd, the JavaScript objects of the member popup, from the Web IDL of the browser
// platform (the @webref/idl package) and the language's own built-in objects (as this Node.js
// runtime reports them).
//
//   mkdir -p /tmp/webref && (cd /tmp/webref && npm install @webref/idl)
//   NODE_PATH=/tmp/webref/node_modules node scripts/data/js-objects.js [output file]
//
// Keep the npm folder outside the repository. Each object is written as
//   <object name="Document" base="Node">
//   <property name="body" type="HTMLElement" eltype="">Property of Document, HTMLElement</property>
//   <method name="getElementById" type="Element" params="DOMString elementId" eltype="">...</method>
//   <event name="onclick" type="Event" eltype="">...</event>
//   </object>
// with the object's own members (mixins and partial definitions merged in); "base" names the
// object it inherits from, and the editor lists the inherited members after the own ones.
// "type" names the object a member yields, "eltype" the object an element of a collection yields.
// Descriptions are composed from these facts.

const fs = require('fs');
const path = require('path');
const {parseAll} = require('@webref/idl');

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
      const eltype = t.eltype || (t.type ? indexedType(objects, t.type) : '');
      lines.push(`<${tag} name="${escape(member.name)}" type="${escape(t.type)}"${extra} ` +
                 `eltype="${escape(eltype)}">${escape(description)}</${tag}>`);
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

// The language's built-in objects: their static members, then their prototype's members.
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

function builtInLines(skip) {
  const lines = [];
  for (const name of kBuiltIns) {
    if (skip.has(name) || !(name in globalThis)) continue;
    const object = globalThis[name];
    lines.push(`<object name="${name}">`);
    const seen = new Set(['constructor', 'caller', 'callee', 'arguments', 'prototype', 'name']);
    const members = (target, owner) => {
      if (!target) return;
      for (const key of Object.getOwnPropertyNames(target)) {
        if (seen.has(key) || !/^[A-Za-z_]/.test(key)) continue;
        seen.add(key);
        const d = Object.getOwnPropertyDescriptor(target, key);
        if (typeof d.value === 'function') {
          const n = d.value.length;
          const expects = n === 0 ? 'no arguments' : (n === 1 ? '1 argument' : `${n} arguments`);
          lines.push(`<method name="${key}" type="" params="" eltype="">` +
                     `Method of ${owner}, expects ${expects}</method>`);
        } else {
          const t = d.get ? '' : valueType(d.value);
          lines.push(`<property name="${key}" type="${t}" eltype="">` +
                     `Property of ${owner}` + (t ? `, ${t}` : '') + '</property>');
        }
      }
    };
    members(object, name);
    if (typeof object === 'function') members(object.prototype, `${name}.prototype`);
    lines.push('</object>');
  }
  return lines;
}

parseAll().then(all => {
  const objects = collect(all);
  const lines = [
    '<!-- JavaScript objects of the member popup, written by scripts/data/js-objects.js -->',
    ...builtInLines(new Set(objects.keys())), ...webObjectLines(objects),
  ];
  fs.writeFileSync(output, lines.join('\n') + '\n');
  process.stderr.write(`${lines.length} lines written to ${output}\n`);
});
