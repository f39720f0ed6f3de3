// The playground's worker: translates big sources and reads their pictures
// off the page's thread, so that no source, however big, keeps the page
// from answering. Each request replaces the ones still waiting; the answer
// carries the request's id.
import createQuillard from './quillard-wasm.mjs';
import { loadTranslator } from './quillard.js';
import { answer } from './pipeline.js';

const loading = loadTranslator(createQuillard);
let latest = null;
let busy = false;

async function run() {
  if (busy) return;
  busy = true;
  const translator = await loading;
  while (latest) {
    const q = latest;
    latest = null;
    try {
      const reply = answer(translator, q);
      postMessage(reply, [reply.items.buffer]);
    } catch (e) {
      postMessage({ id: q.id, failure: String(e && e.message || e) });
    }
    // Let requests that came in meanwhile arrive; only the last is answered.
    await new Promise((resolve) => setTimeout(resolve, 0));
  }
  busy = false;
}

self.onmessage = (e) => {
  latest = e.data;
  run();
};
