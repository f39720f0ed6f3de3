// One update of the playground: translate the source, cut the picture into
// the output of each source line, draw it. Shared by the page and its
// benchmark.
import { sourceMap } from './quillard.js';
import { renderPicture } from './render.js';

export function runPipeline(translator, source, conf, letters, view) {
  const { tex, transcript, status } = translator.translate(source, conf, letters);
  const { svg, skipped } = renderPicture(tex, view);
  let notPreviewed = [];
  if (skipped.length) {
    const lineOf = sourceMap(translator.translate, source, conf, letters, tex);
    notPreviewed = skipped.map((s) => ({ line: lineOf(s.at), text: s.text }));
  }
  return { tex, transcript, status, svg, notPreviewed };
}
