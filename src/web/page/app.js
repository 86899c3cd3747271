// The front panel in the browser: draws the keys once, follows the state over
// the event stream, and sends each press to the API.
'use strict';

const lang = document.documentElement.lang === 'en' ? 'en' : 'de';
const TEXT = {
  de: {
    display: 'Anzeige', sources: 'Quelle', levels: 'Pegel', functions: 'Funktionen', tuner: 'Tuner',
    askStatus: 'Status abfragen', answering: 'Gerät antwortet', silent: 'Gerät antwortet nicht',
    offline: 'Keine Verbindung zu Pelora – neuer Versuch …', refused: 'Nicht angenommen: ',
    volume: 'Lautstärke', balance: 'Balance', bass: 'Bass', treble: 'Höhen',
    stationKey: 'Stationstaste', empty: 'leer', tape: 'Kassette', cd: 'CD', phono: 'Plattenspieler',
  },
  en: {
    display: 'Display', sources: 'Source', levels: 'Levels', functions: 'Functions', tuner: 'Tuner',
    askStatus: 'Ask for status', answering: 'The device answers', silent: 'The device does not answer',
    offline: 'No connection to Pelora – trying again …', refused: 'Not accepted: ',
    volume: 'Volume', balance: 'Balance', bass: 'Bass', treble: 'Treble',
    stationKey: 'Station key', empty: 'empty', tape: 'Tape', cd: 'CD', phono: 'Record player',
  }
};
const T = TEXT[lang];
const $ = (id) => document.getElementById(id);
const keyButtons = new Map();     // key name -> button
const sourceButtons = new Map();  // source name -> button
const stationButtons = [];        // 1..30
const sliders = new Map();        // level name -> {input, output, moving}
let controls = null;
let state = null;
let painted = false;

for (const el of document.querySelectorAll('[data-t]')) el.textContent = T[el.dataset.t];

function hidden(text) {
  const span = document.createElement('span');
  span.className = 'sr-only';
  span.textContent = ' – ' + text;
  return span;
}

function button(caption, label, cls) {
  const b = document.createElement('button');
  b.type = 'button';
  b.className = 'key' + (cls ? ' ' + cls : '');
  b.textContent = caption;
  // Heard as the caption and then what it does: the name holds the words seen.
  if (label && label.toLowerCase() !== caption.toLowerCase()) b.append(hidden(label));
  return b;
}

async function send(path, body) {
  $('message').textContent = '';
  try {
    const r = await fetch(path, {
      method: 'POST', credentials: 'same-origin',
      headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body || {})
    });
    if (r.status >= 400) {
      const e = await r.json().catch(() => ({}));
      $('message').textContent = T.refused + (e.error || r.status);
    }
  } catch (e) {
    $('message').textContent = T.offline;
  }
}

// A pair of step keys with the caption the window shows between them.
function steps(caption) {
  let group = [...$('steps').children].find((g) => g.dataset.caption === caption);
  if (!group) {
    group = document.createElement('div');
    group.className = 'step-group';
    group.dataset.caption = caption;
    const label = document.createElement('span');
    label.textContent = caption;
    group.append(label);
    $('steps').append(group);
  }
  return group;
}

function build() {
  for (const s of controls.sources) {
    const b = button(s, controls.spokenSources[s] || s);
    b.addEventListener('click', () => send('/api/source', { source: s }));
    sourceButtons.set(s, b);
    $('sources').append(b);
  }
  for (const l of controls.levels) {
    const row = document.createElement('div');
    row.className = 'level';
    const id = 'level-' + l.level;
    const label = document.createElement('label');
    label.htmlFor = id;
    label.textContent = T[l.level];
    const input = document.createElement('input');
    Object.assign(input, { type: 'range', id, min: l.min, max: l.max, step: 1 });
    const output = document.createElement('output');
    output.htmlFor = id;
    const s = { input, output, moving: false };
    input.addEventListener('input', () => { s.moving = true; output.textContent = input.value; });
    input.addEventListener('change', () => {
      s.moving = false;
      send('/api/level', { level: l.level, value: Number(input.value) });
    });
    sliders.set(l.level, s);
    row.append(label, input, output);
    $('levels').append(row);
  }
  for (const k of controls.keys) {
    const name = k.spoken || k.name;
    const b = button(k.caption, name, k.panel && k.panel !== 'tuner' && !k.extra ? 'black' : '');
    b.dataset.panel = k.panel;
    b.addEventListener('click', () => send('/api/key', { key: k.key }));
    keyButtons.set(k.key, b);
    if (k.switch) $('functions').append(b);
    else if (k.panel === 'tuner') steps(k.key.startsWith('seek') ? controls.seek : controls.preset).append(b);
    else $('player-keys').append(b);
  }
  for (let i = 1; i <= 30; ++i) {
    const b = button('', '');
    b.addEventListener('click', () => send('/api/station', { key: i }));
    stationButtons[i] = b;
    $('stations').append(b);
  }
}

function playerOf(source) {
  if (source === 'tape 1' || source === 'tape 2') return 'tape';
  if (source === 'cd' || source === 'phono') return source;
  return '';
}

function render() {
  const s = state;
  const link = $('link');
  link.textContent = s.answering ? T.answering : T.silent;
  link.classList.toggle('off', !s.answering);
  $('source-display').textContent = controls.spokenSources[s.source] || s.source;
  const st = s.station;
  const tuner = s.source === 'fm' || s.source === 'am';
  let station = '';
  if (tuner && st.frequency) {
    const unit = s.band === 'AM' || !st.frequency.includes('.') ? 'kHz' : 'MHz';
    const freq = lang === 'de' ? st.frequency.replace('.', ',') : st.frequency;
    station = (st.name ? st.name + ' – ' : '') + freq + ' ' + unit;
  }
  $('station-display').textContent = station;
  for (const [name, b] of sourceButtons) b.setAttribute('aria-pressed', String(name === s.source));
  for (const [name, on] of Object.entries(s.functions)) {
    const b = keyButtons.get(name);
    if (b) b.setAttribute('aria-pressed', String(on));
  }
  for (const [name, sl] of sliders) {
    if (sl.moving || document.activeElement === sl.input && sl.input.matches(':active')) continue;
    sl.input.value = s[name];
    sl.output.textContent = s[name];
  }
  $('tuner').hidden = !tuner;
  for (const k of s.keys) {
    const b = stationButtons[k.key];
    const caption = k.caption || '';
    b.textContent = '';
    const number = document.createElement('span');
    number.className = 'number';
    number.textContent = k.key;
    const spoken = document.createElement('span');
    spoken.className = 'sr-only';
    spoken.textContent = T.stationKey + ' ';
    b.append(spoken, number, document.createTextNode(' ' + (caption.trim() || '–')));
    if (k.name && k.name !== caption.trim()) b.append(hidden(k.name));
    else if (!caption.trim()) b.append(hidden(T.empty));
    b.setAttribute('aria-pressed', String(tuner && k.key === st.key));
  }
  const player = playerOf(s.source);
  $('player').hidden = !player;
  if (player) {
    $('player-title').textContent = T[player];
    for (const b of keyButtons.values())
      if (b.dataset.panel && b.dataset.panel !== 'tuner') b.hidden = b.dataset.panel !== player;
  }
  document.body.classList.toggle('busy', s.busy);
  if (!painted) {
    painted = true;
    performance.mark('pelora-state-painted');
    document.body.dataset.ready = '1';
  }
}

function follow() {
  const ws = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/api/events');
  ws.onmessage = (e) => {
    try { state = JSON.parse(e.data); } catch (err) { return; }
    if (controls) render();
  };
  ws.onopen = () => { if ($('message').textContent === T.offline) $('message').textContent = ''; };
  ws.onclose = () => {
    $('message').textContent = T.offline;
    setTimeout(follow, 2000);
  };
}

async function start() {
  $('ask-status').addEventListener('click', () => send('/api/status'));
  const r = await fetch('/api/controls', { credentials: 'same-origin' });
  controls = await r.json();
  build();
  if (state) render();
  follow();
}
start();
