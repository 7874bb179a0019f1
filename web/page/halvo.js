// The page's entry: starts the compiled core and hands its interface to the
// settings and the camera's clock, in the language the browser asks for.

import { HalvoCore } from 'halvo-core';
import * as cameraClock from './camera_clock.js';
import * as settings from './settings.js';

// ?lang= forces a language; else the browser's first preference the page has words for; else English.
function pickLanguage() {
  const forced = new URLSearchParams(window.location.search).get('lang');
  if (forced === 'ja' || forced === 'en') return forced;
  const preferred =
    navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
  for (const tag of preferred) {
    const primary = String(tag).toLowerCase().split('-')[0];
    if (primary === 'ja' || primary === 'en') return primary;
  }
  return 'en';
}

// A browser without WebAssembly (or with it turned off) cannot run the core: the page says what it needs.
function startFailed() {
  document.getElementById('startFailed').hidden = false;
}

function start(core) {
  const language = pickLanguage();
  cameraClock.start(core.clockApi(), language, settings.zoneChanged);
  settings.start(core.api(), language);
  document.body.dataset.ready = 'true';
}

try {
  HalvoCore().then(start, startFailed);
} catch {
  startFailed();
}
